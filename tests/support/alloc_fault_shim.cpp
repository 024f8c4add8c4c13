// Preloaded (LD_PRELOAD, Linux) into the real executable to make an
// allocation fail and to pretend a number of cores. Apart from the I/O fault
// library because it replaces malloc, which a sanitizer's runtime must own:
// the tests that use it do not run under a sanitizer.
//
//   TEXTRESGEN_FAIL_MALLOC=N         the N-th malloc() (operator new too),
//   TEXTRESGEN_FAIL_MALLOC_FROM=name counted from the first read() of the
//                                    file whose last path component is
//                                    `name`, returns null, once.
//   TEXTRESGEN_COUNT_MALLOC_TO=path  at exit, the number of malloc() calls
//                                    counted so is written to `path`.
//   TEXTRESGEN_NPROCS=N              get_nprocs() and sysconf() report N
//                                    processors, so the program starts as
//                                    many threads as on such a machine.
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" void* __libc_malloc(std::size_t size);

namespace {

template <typename Function>
Function Next(const char* symbol) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, symbol));
}

bool IsFileNamed(int fd, const char* name) {
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    if (length <= 0) return false;
    target[length] = '\0';
    const char* slash = std::strrchr(target, '/');
    return std::strcmp(slash != nullptr ? slash + 1 : target, name) == 0;
}

// Read once before main: malloc must not look at the environment itself.
long failingMalloc = 0;
const char* countFrom = nullptr;
long processors = 0;
std::atomic<bool> counting{false};
std::atomic<long> mallocs{0};

__attribute__((constructor)) void ReadSettings() {
    if (const char* n = std::getenv("TEXTRESGEN_FAIL_MALLOC")) failingMalloc = std::strtol(n, nullptr, 10);
    countFrom = std::getenv("TEXTRESGEN_FAIL_MALLOC_FROM");
    if (const char* n = std::getenv("TEXTRESGEN_NPROCS")) processors = std::strtol(n, nullptr, 10);
}

__attribute__((destructor)) void WriteCount() {
    const char* path = std::getenv("TEXTRESGEN_COUNT_MALLOC_TO");
    if (path == nullptr) return;
    const long counted = mallocs.load();
    if (std::FILE* file = std::fopen(path, "w")) {
        std::fprintf(file, "%ld\n", counted);
        std::fclose(file);
    }
}

}  // namespace

extern "C" void* malloc(std::size_t size) {
    if (counting.load(std::memory_order_relaxed) &&
        mallocs.fetch_add(1, std::memory_order_relaxed) + 1 == failingMalloc) {
        errno = ENOMEM;
        return nullptr;
    }
    return __libc_malloc(size);
}

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
    static const auto realRead = Next<ssize_t (*)(int, void*, size_t)>("read");
    if (countFrom != nullptr && !counting.load() && IsFileNamed(fd, countFrom)) counting = true;
    return realRead(fd, buffer, count);
}

extern "C" int get_nprocs() {
    static const auto realGetNprocs = Next<int (*)()>("get_nprocs");
    return processors > 0 ? static_cast<int>(processors) : realGetNprocs();
}

extern "C" long sysconf(int name) {
    static const auto realSysconf = Next<long (*)(int)>("sysconf");
    if (processors > 0 && (name == _SC_NPROCESSORS_ONLN || name == _SC_NPROCESSORS_CONF)) return processors;
    return realSysconf(name);
}
