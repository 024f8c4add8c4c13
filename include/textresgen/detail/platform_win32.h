// Windows: a candidate library opened and checked, then loaded by
// LoadLibraryExW with a search that never looks in the current folder or
// on PATH; guarded memory (VirtualAlloc); the user's UI languages from the
// system.
#pragma once
#ifdef _WIN32

// The only header of the run-time library that includes <windows.h>, and so
// every program that includes <textresgen/runtime.h> on Windows gets it:
// lean (no winsock, no COM) and without the min and max macros, unless the
// program asked for more by including it first. The two switches are taken
// back afterwards.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#define TEXTRESGEN_DEFINED_WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#define TEXTRESGEN_DEFINED_NOMINMAX
#endif
#include <windows.h>
#ifdef TEXTRESGEN_DEFINED_WIN32_LEAN_AND_MEAN
#undef WIN32_LEAN_AND_MEAN
#undef TEXTRESGEN_DEFINED_WIN32_LEAN_AND_MEAN
#endif
#ifdef TEXTRESGEN_DEFINED_NOMINMAX
#undef NOMINMAX
#undef TEXTRESGEN_DEFINED_NOMINMAX
#endif

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include <textresgen/detail/library_headers.h>
#include <textresgen/runtime.h>
#include <textresgen/detail/platform.h>

#ifndef LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace textresgen {
namespace detail {

namespace platform_win32_impl {

namespace fs = std::filesystem;

// The system's words for `error` (FormatMessageW; in English where the system
// has them, as the POSIX side asks the loader in the C locale) and its
// number: "Access is denied. (Windows error 5)".
inline std::string SystemMessage(DWORD error) {
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                  reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (length == 0) {
        length = FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    }
    std::string message;
    if (length != 0) {
        while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) --length;
        const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
        if (size > 0) {
            message.resize(static_cast<std::size_t>(size));
            WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), message.data(), size, nullptr, nullptr);
            message += ' ';
        }
        LocalFree(text);
    }
    return message + "(Windows error " + std::to_string(error) + ")";
}

// Closes a handle when it goes.
struct Handle {
    HANDLE value;
    ~Handle() {
        if (value != INVALID_HANDLE_VALUE) CloseHandle(value);
    }
};

// The path the system reaches `file` by, links resolved ("\\?\C:\..."); empty when it does not say.
inline std::wstring FinalPath(HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length + 1);
    }
}

// True when `file` lies in `folder` or below it (final paths; case is not compared).
inline bool Inside(const std::wstring& file, const std::wstring& folder) {
    return !folder.empty() && file.size() > folder.size() + 1 && file[folder.size()] == L'\\' &&
           CompareStringOrdinal(file.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                                static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

inline bool ReadAll(HANDLE file, std::uint64_t offset, void* into, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(into);
    while (size > 0) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>((std::min<std::size_t>)(size, 1u << 20));
        if (!ReadFile(file, bytes, want, &got, &at) || got == 0) return false;
        bytes += got;
        offset += got;
        size -= got;
    }
    return true;
}

// The header of the image this code was linked into, as mapped: its
// machine is the running program's.
inline const unsigned char* OwnImage() {
    static const char anchor = 0;
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&anchor), &module))
        return nullptr;
    return reinterpret_cast<const unsigned char*>(module);
}

// "" when `file` is a regular file in `folder` (after links) whose headers
// are whole and of this machine; else why not.
inline std::string Check(HANDLE file, const fs::path& folder) {
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file, &information)) {
        if (GetFileType(file) != FILE_TYPE_DISK) return "it is a device, not a file";
        return "it cannot be read: " + SystemMessage(GetLastError());
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return "it is a folder, not a file";
    if (GetFileType(file) != FILE_TYPE_DISK) return "it is a device, not a file";
    const Handle home{CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    const std::wstring real = FinalPath(file);
    const std::wstring inside = home.value == INVALID_HANDLE_VALUE ? std::wstring() : FinalPath(home.value);
    if (real.empty() || inside.empty()) return "the system does not say where it lies";
    if (!Inside(real, inside))
        return "it is a link to a file outside the languages folder (" + fs::path(real).u8string() + ")";
    const std::uint64_t size = (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
    return CheckPeHeaders([file](std::uint64_t offset, void* into, std::size_t count) { return ReadAll(file, offset, into, count); },
                          size, OwnImage());
}

}  // namespace platform_win32_impl
using namespace platform_win32_impl;

inline std::shared_ptr<const Library> Library::Open(const fs::path& folder, const std::string& name, std::string& why) {
    const fs::path path = folder / fs::u8path(name);
    // Shared for reading only: until the loader has mapped the file, nobody
    // can write, rename or delete it, so the loader gets the file checked.
    // FILE_FLAG_BACKUP_SEMANTICS lets a folder open, to be refused as one.
    const Handle file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    if (file.value == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        why = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                  ? "it does not exist"
                  : "it cannot be opened: " + SystemMessage(error);
        return nullptr;
    }
    why = Check(file.value, folder);
    if (!why.empty()) return nullptr;
    // No error box for a damaged file: the caller reports it and goes on.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE handle = LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    const DWORD error = GetLastError();
    SetThreadErrorMode(oldMode, nullptr);
    if (handle == nullptr) {
        // The file is there (it was just opened): what is not found is a
        // library it needs, which the loader does not name.
        why = error == ERROR_MOD_NOT_FOUND
                  ? "the system's loader refuses it: a library it needs is not found (Windows error 126)"
                  : "the system's loader refuses it: " + SystemMessage(error);
        return nullptr;
    }
    return std::shared_ptr<const Library>(new Library(handle));
}

inline Library::~Library() { FreeLibrary(static_cast<HMODULE>(handle_)); }

inline Scratch::Scratch(std::size_t size) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const std::size_t page = system.dwPageSize;
    size_ = (size + page - 1) / page * page;
    reserved_ = size_ + kGuardBytes;
    void* memory = VirtualAlloc(nullptr, reserved_, MEM_RESERVE, PAGE_NOACCESS);
    if (memory == nullptr || VirtualAlloc(memory, size_, MEM_COMMIT, PAGE_READWRITE) == nullptr) {
        if (memory != nullptr) VirtualFree(memory, 0, MEM_RELEASE);
        throw std::bad_alloc();
    }
    data_ = static_cast<unsigned char*>(memory);
}

inline Scratch::~Scratch() { VirtualFree(data_, 0, MEM_RELEASE); }

inline Function Library::Find(const char* name) const {
    return reinterpret_cast<Function>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

inline const char* LibrarySuffix() { return ".dll"; }

}  // namespace detail

inline std::vector<std::string> PreferredLanguages() {
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

inline std::filesystem::path FolderOfThisProgram() {
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
