// Linux, macOS and other POSIX systems: dlopen, and the environment's
// languages (macOS asks CoreFoundation instead).
#ifndef _WIN32

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <system_error>

#include "runtime/platform.h"

#ifdef __APPLE__
#include <CoreFoundation/CoreFoundation.h>
#include <mach-o/dyld.h>
#endif

namespace textresgen {
namespace detail {

std::shared_ptr<const Library> Library::Open(const std::filesystem::path& path, std::string& why) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = dlerror();
        why = error != nullptr ? error : "the loader refuses it";
        return nullptr;
    }
    return std::shared_ptr<const Library>(new Library(handle));
}

Library::~Library() { dlclose(handle_); }

Function Library::Find(const char* name) const {
    // POSIX guarantees that a function's address survives the trip through void*.
    return reinterpret_cast<Function>(dlsym(handle_, name));
}

const char* LibrarySuffix() {
#ifdef __APPLE__
    return ".dylib";
#else
    return ".so";
#endif
}

}  // namespace detail

#ifdef __APPLE__
std::vector<std::string> PreferredLanguages() {
    std::vector<std::string> tags;
    CFArrayRef languages = CFLocaleCopyPreferredLanguages();
    if (languages == nullptr) return tags;
    for (CFIndex i = 0; i < CFArrayGetCount(languages); ++i) {
        const auto name = static_cast<CFStringRef>(CFArrayGetValueAtIndex(languages, i));
        char buffer[128];
        if (CFStringGetCString(name, buffer, sizeof buffer, kCFStringEncodingUTF8) && IsLanguageTag(buffer))
            tags.emplace_back(buffer);
    }
    CFRelease(languages);
    return tags;
}

std::filesystem::path FolderOfThisProgram() {
    std::uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string path(size, '\0');
    if (_NSGetExecutablePath(path.data(), &size) != 0) return {};
    std::error_code error;
    const std::filesystem::path program = std::filesystem::canonical(path.c_str(), error);
    return error ? std::filesystem::path() : program.parent_path();
}
#else
std::vector<std::string> PreferredLanguages() {
    return LanguagesFromEnvironment([](const char* name) { return std::getenv(name); });
}

std::filesystem::path FolderOfThisProgram() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}
#endif

}  // namespace textresgen

#endif
