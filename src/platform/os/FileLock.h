#pragma once
// An exclusive advisory lock on a file, held while the object lives: flock on POSIX
// systems, LockFileEx on Windows. Only other takers of such a lock wait for it; plain
// readers and writers of the file are never kept out (on Windows the lock covers one
// byte far beyond the end of any file it is used on, since LockFileEx bars reads of the
// bytes it covers). The file must stay where it is while locked: a lock on a file that
// is replaced by a rename stays with the old file.

#include <cstdint>
#include <string>

namespace marlune::os {

class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    enum class Wait { kUntilFree, kNot };

    // Opens the file (creating it when create is true and it is missing) and takes the
    // lock, waiting for another holder to let it go, or not at all. False when the file
    // cannot be opened, is no regular file, or (kNot) another holds the lock. A lock held
    // before is let go first.
    bool Lock(const std::string& path, Wait wait, bool create);
    void Unlock();
    bool Held() const { return m_handle != -1; }

private:
    std::intptr_t m_handle = -1;
};

} // namespace marlune::os
