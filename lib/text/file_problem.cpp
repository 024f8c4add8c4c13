#include "text/file_problem.h"

#include <cerrno>

#ifdef _WIN32
#include "text/windows_api.h"

#include <string>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace textresgen {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

FileProblem LastFileProblem() {
#ifdef _WIN32
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return FileProblem::Missing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return FileProblem::InUse;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT: return FileProblem::Denied;
        case ERROR_BAD_FILE_TYPE: return FileProblem::NotRegular;  // set by OpenRegularFileSource
        case ERROR_FILE_TOO_LARGE: return FileProblem::TooLarge;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return FileProblem::DiskFull;
        case ERROR_IO_DEVICE:
        case ERROR_CRC: return FileProblem::IoError;
        case ERROR_FILE_EXISTS: return FileProblem::Occupied;
        default: return FileProblem::Other;
    }
#else
    switch (errno) {
        case ENOENT:
        case ENOTDIR: return FileProblem::Missing;
        case EWOULDBLOCK: return FileProblem::InUse;  // the other program's flock
        case EACCES:
        case EPERM:
        case EROFS: return FileProblem::Denied;
        case ENODEV: return FileProblem::NotRegular;  // set by OpenRegularFileSource
        case EFBIG: return FileProblem::TooLarge;
        case ENOSPC:
        case EDQUOT: return FileProblem::DiskFull;
        case EIO: return FileProblem::IoError;
        case EEXIST: return FileProblem::Occupied;
        default: return FileProblem::Other;
    }
#endif
}

bool FileInUse(const char* path) {
#ifdef _WIN32
    const int length = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
    if (length <= 0) return false;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path, -1, wide.data(), length);
    const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
#else
    // Only a regular file can be held; opening a FIFO would wait for a
    // writer, and opening a device may do something.
    struct stat info {};
    if (::stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return false;
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool locked = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
#endif
}

bool IsWindowsDeviceName(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\:");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name.size() == 3) {
        for (const char* device : {"con", "prn", "aux", "nul"})
            if (Lower(name[0]) == device[0] && Lower(name[1]) == device[1] && Lower(name[2]) == device[2])
                return true;
        return false;
    }
    if (name.size() != 4 || name[3] < '1' || name[3] > '9') return false;
    const char a = Lower(name[0]), b = Lower(name[1]), c = Lower(name[2]);
    return (a == 'c' && b == 'o' && c == 'm') || (a == 'l' && b == 'p' && c == 't');
}

bool NamesDevice([[maybe_unused]] std::string_view path) {
#ifdef _WIN32
    return IsWindowsDeviceName(path);
#else
    return false;
#endif
}

}  // namespace textresgen
