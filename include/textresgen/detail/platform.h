// What the run-time library asks of the system: its loader, memory with a
// guard, the user's languages and the program's own path. One
// implementation per system (platform_posix.h, platform_win32.h; macOS adds
// its language list), included at the end: this is the one header that
// brings in the system's headers.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include <textresgen/runtime.h>

namespace textresgen::detail {

// A loaded shared library; unloaded when destroyed.
class Library {
public:
    // Checks the file `name` in `folder` (absolute) before the system's
    // loader sees it, then loads it while holding it open, and nothing found
    // by a search (on Windows only the library's own folder and the system
    // folder are searched for what it depends on). Refused, null with `why`
    // set, when it is not a regular file (a FIFO, a device, a folder), is a
    // link that leads out of the folder, is cut short, is built for another
    // machine, the loader refuses it (its message, untranslated), or
    // another file took its place while it was loaded (POSIX; Windows lets
    // nobody replace it while it is held).
    static std::shared_ptr<const Library> Open(const std::filesystem::path& folder, const std::string& name,
                                               std::string& why);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // The exported function `name`, or null.
    Function Find(const char* name) const;

private:
    explicit Library(void* handle) : handle_(handle) {}
    void* handle_;
};

// Memory to let a library's code write into: Size() bytes (at least the size
// asked for, whole pages) readable and writable, followed by an
// inaccessible guard region, so that a write running past the end stops at
// the guard instead of reaching other memory. Throws std::bad_alloc.
class Scratch {
public:
    explicit Scratch(std::size_t size);
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    unsigned char* Data() const { return data_; }
    std::size_t Size() const { return size_; }

private:
    unsigned char* data_;
    std::size_t size_;
    std::size_t reserved_;  // with the guard
    // The guard after Size(): reserved, never accessible.
    static constexpr std::size_t kGuardBytes = std::size_t{1} << 20;
};

// The file name ending of a shared library here: ".so", ".dll", ".dylib".
const char* LibrarySuffix();

}  // namespace textresgen::detail

#ifdef _WIN32
#include <textresgen/detail/platform_win32.h>
#else
#include <textresgen/detail/platform_posix.h>
#endif
