// Preloaded (LD_PRELOAD, Linux) into the real executable by end-to-end tests
// to produce I/O faults the operating system cannot produce on demand. The
// program itself carries no hook for this.
//
//   TEXTRESGEN_FAIL_CLOSE=name       close() of a file whose last path
//                                    component is `name`, or `name` and a
//                                    suffix (the temporary file written in
//                                    its place), closes it, then reports EIO
//                                    (as a delayed write error on a network
//                                    file system would).
//   TEXTRESGEN_FAIL_WRITE=name       write() to a file named as for
//                                    TEXTRESGEN_FAIL_CLOSE fails with ENOSPC
//                                    (a full disk).
//   TEXTRESGEN_FAIL_READ=name        read() of that file fails with EIO once
//   TEXTRESGEN_FAIL_READ_AFTER=N     N bytes of it have been delivered.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Whether `fd` is open on a file whose last path component is `name`, or,
// with `prefix`, starts with `name`.
bool IsFileNamed(int fd, const char* name, bool prefix = false) {
    if (name == nullptr || *name == '\0') return false;
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    if (length <= 0) return false;
    target[length] = '\0';
    const char* slash = std::strrchr(target, '/');
    const char* last = slash != nullptr ? slash + 1 : target;
    return prefix ? std::strncmp(last, name, std::strlen(name)) == 0 : std::strcmp(last, name) == 0;
}

template <typename Function>
Function Next(const char* symbol) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, symbol));
}

unsigned long long delivered = 0;

}  // namespace

extern "C" int close(int fd) {
    static const auto realClose = Next<int (*)(int)>("close");
    const bool fail = IsFileNamed(fd, std::getenv("TEXTRESGEN_FAIL_CLOSE"), true);
    const int result = realClose(fd);
    if (fail && result == 0) {
        errno = EIO;
        return -1;
    }
    return result;
}

extern "C" ssize_t write(int fd, const void* buffer, size_t count) {
    static const auto realWrite = Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (count > 0 && IsFileNamed(fd, std::getenv("TEXTRESGEN_FAIL_WRITE"), true)) {
        errno = ENOSPC;
        return -1;
    }
    return realWrite(fd, buffer, count);
}

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
    static const auto realRead = Next<ssize_t (*)(int, void*, size_t)>("read");
    if (!IsFileNamed(fd, std::getenv("TEXTRESGEN_FAIL_READ"))) return realRead(fd, buffer, count);
    const char* after = std::getenv("TEXTRESGEN_FAIL_READ_AFTER");
    const unsigned long long limit = after != nullptr ? std::strtoull(after, nullptr, 10) : 0;
    if (delivered >= limit) {
        errno = EIO;
        return -1;
    }
    if (count > limit - delivered) count = static_cast<size_t>(limit - delivered);
    const ssize_t got = realRead(fd, buffer, count);
    if (got > 0) delivered += static_cast<unsigned long long>(got);
    return got;
}
