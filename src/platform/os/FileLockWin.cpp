// File locks on Windows: LockFileEx on a handle that lets others read, write, rename and
// delete the file, so that the lock keeps nobody from the file itself.
#if defined(_WIN32)

#include "platform/os/FileLock.h"

#include "platform/os/WideText.h"

#include <windows.h>

namespace marlune::os {
namespace {

// The locked byte: at 1 GB, far beyond the end of the small files locked (a locked range
// cannot be read through other handles).
constexpr DWORD kLockOffsetHigh = 0;
constexpr DWORD kLockOffsetLow = 0x40000000;

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

HANDLE OpenShared(const std::string& path, DWORD disposition) {
    return ::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

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
    HANDLE file = OpenShared(path, create ? OPEN_ALWAYS : OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return false;
    }
    OVERLAPPED at{};
    at.Offset = kLockOffsetLow;
    at.OffsetHigh = kLockOffsetHigh;
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait == Wait::kNot ? LOCKFILE_FAIL_IMMEDIATELY : 0);
    if (!::LockFileEx(file, flags, 0, 1, 0, &at)) {
        ::CloseHandle(file);
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    return true;
}

void FileLock::Unlock() {
    if (m_handle == -1)
        return;
    OVERLAPPED at{};
    at.Offset = kLockOffsetLow;
    at.OffsetHigh = kLockOffsetHigh;
    ::UnlockFileEx(AsHandle(m_handle), 0, 1, 0, &at);
    ::CloseHandle(AsHandle(m_handle));
    m_handle = -1;
}

} // namespace marlune::os

#endif
