// Windows: LoadLibraryExW with a search that never looks in the current
// folder or on PATH, and the user's UI languages from the system.
#ifdef _WIN32

#include <windows.h>

#include <string>
#include <vector>

#include "runtime/platform.h"

#ifndef LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace textresgen {
namespace detail {

std::shared_ptr<const Library> Library::Open(const std::filesystem::path& path, std::string& why) {
    // No error box for a damaged file: the caller reports it and goes on.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE handle = LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    const DWORD error = GetLastError();
    SetThreadErrorMode(oldMode, nullptr);
    if (handle == nullptr) {
        why = "the loader refuses it (Windows error " + std::to_string(error) + ")";
        return nullptr;
    }
    return std::shared_ptr<const Library>(new Library(handle));
}

Library::~Library() { FreeLibrary(static_cast<HMODULE>(handle_)); }

Function Library::Find(const char* name) const {
    return reinterpret_cast<Function>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

const char* LibrarySuffix() { return ".dll"; }

}  // namespace detail

std::vector<std::string> PreferredLanguages() {
    std::vector<std::string> tags;
    ULONG count = 0;
    ULONG size = 0;
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) || size == 0) return tags;
    std::vector<wchar_t> names(size);
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names.data(), &size)) return tags;
    // A list of names each ended by a zero, the last by two.
    for (const wchar_t* name = names.data(); name < names.data() + names.size() && *name != L'\0';) {
        std::wstring wide(name);
        name += wide.size() + 1;
        std::string tag;
        for (wchar_t c : wide) tag.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        if (IsLanguageTag(tag)) tags.push_back(tag);
    }
    return tags;
}

std::filesystem::path FolderOfThisProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return std::filesystem::path(path).parent_path();
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace textresgen

#endif
