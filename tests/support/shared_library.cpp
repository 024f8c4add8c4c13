#include "support/shared_library.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace textresgen::test {

#ifdef _WIN32

SharedLibrary::SharedLibrary(const std::filesystem::path& path) {
    handle_ = reinterpret_cast<void*>(LoadLibraryW(path.wstring().c_str()));
    if (handle_ == nullptr) error_ = "LoadLibrary failed with error " + std::to_string(GetLastError());
}

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* SharedLibrary::Symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

#else

SharedLibrary::SharedLibrary(const std::filesystem::path& path) {
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* error = ::dlerror();
        error_ = error != nullptr ? error : "dlopen failed";
    }
}

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) ::dlclose(handle_);
}

void* SharedLibrary::Symbol(const char* name) const { return handle_ != nullptr ? ::dlsym(handle_, name) : nullptr; }

#endif

}  // namespace textresgen::test
