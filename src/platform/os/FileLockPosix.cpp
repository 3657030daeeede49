// File locks on POSIX systems: flock on a descriptor of the file.
#if !defined(_WIN32)

#include "platform/os/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlune::os {
FileLock::~FileLock() {
    Unlock();
}

FileLock::FileLock(FileLock&& other) noexcept : m_handle(other.m_handle) {
    other.m_handle = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Unlock();
        m_handle = other.m_handle;
        other.m_handle = -1;
    }
    return *this;
}

bool FileLock::Lock(const std::string& path, Wait wait, bool create) {
    Unlock();
    // Read access is enough for flock, so a read-only file can be locked too.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (create ? O_CREAT : 0), 0666);
    if (fd < 0 && create && errno == EACCES)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd); // a folder, a pipe or a device is nothing to lock
        return false;
    }
    const int operation = LOCK_EX | (wait == Wait::kNot ? LOCK_NB : 0);
    int result = 0;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return false;
    }
    m_handle = fd;
    return true;
}

void FileLock::Unlock() {
    if (m_handle == -1)
        return;
    // Closing the last descriptor of the open file lets the lock go.
    ::close(static_cast<int>(m_handle));
    m_handle = -1;
}

} // namespace marlune::os

#endif
