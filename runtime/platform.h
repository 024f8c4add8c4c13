// What the run-time library asks of the system: its loader, the user's
// languages and the program's own path. One implementation per system
// (platform_posix.cpp, platform_win32.cpp; macOS adds its language list).
#pragma once

#include <filesystem>
#include <string>

#include <textresgen/runtime.h>

namespace textresgen::detail {

// A loaded shared library; unloaded when destroyed.
class Library {
public:
    // Loads `path` (absolute) and nothing found by a search: on Windows only
    // the library's own folder and the system folder are searched for what
    // it depends on. Null with `why` set when the loader refuses it.
    static std::shared_ptr<const Library> Open(const std::filesystem::path& path, std::string& why);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // The exported function `name`, or null.
    Function Find(const char* name) const;

private:
    explicit Library(void* handle) : handle_(handle) {}
    void* handle_;
};

// The file name ending of a shared library here: ".so", ".dll", ".dylib".
const char* LibrarySuffix();

}  // namespace textresgen::detail
