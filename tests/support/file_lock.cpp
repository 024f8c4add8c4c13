#include "support/file_lock.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace textresgen::test {

#ifdef _WIN32

ExclusiveHold::ExclusiveHold(const std::filesystem::path& path) {
    const HANDLE handle = CreateFileW(path.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        handle_ = handle;
        held_ = true;
    }
}

ExclusiveHold::~ExclusiveHold() {
    if (held_) CloseHandle(static_cast<HANDLE>(handle_));
}

#else

ExclusiveHold::ExclusiveHold(const std::filesystem::path& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

ExclusiveHold::~ExclusiveHold() {
    if (fd_ >= 0) ::close(fd_);
}

#endif

}  // namespace textresgen::test
