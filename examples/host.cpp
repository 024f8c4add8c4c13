// A small application that shows its texts in one language, then switches to
// another at run time by loading that language's library instead.
// Usage: host <language library>...   (each one is loaded in turn)
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "textresouce.h"

namespace {

using InitStringFn = void (*)(TextResource&);

// One loaded language library. Its texts live in the library's read-only
// data, so the structure it filled is valid only while it stays loaded.
class LanguageLibrary {
public:
    explicit LanguageLibrary(const char* path) {
#ifdef _WIN32
        std::wstring wide(MAX_PATH * 4, L'\0');
        int n = MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), static_cast<int>(wide.size()));
        wide.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
        handle_ = LoadLibraryW(wide.c_str());
        if (handle_) init_ = reinterpret_cast<InitStringFn>(
            reinterpret_cast<void*>(GetProcAddress(handle_, "InitString")));
#else
        handle_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (handle_) init_ = reinterpret_cast<InitStringFn>(dlsym(handle_, "InitString"));
#endif
    }
    ~LanguageLibrary() {
        if (!handle_) return;
#ifdef _WIN32
        FreeLibrary(handle_);
#else
        dlclose(handle_);
#endif
    }
    LanguageLibrary(const LanguageLibrary&) = delete;
    LanguageLibrary& operator=(const LanguageLibrary&) = delete;

    bool Fill(TextResource& texts) const {
        if (!init_) return false;
        init_(texts);
        return true;
    }

private:
#ifdef _WIN32
    HMODULE handle_ = nullptr;
#else
    void* handle_ = nullptr;
#endif
    InitStringFn init_ = nullptr;
};

// wchar_t is UTF-16 on Windows and UTF-32 elsewhere; the terminal wants UTF-8.
std::string ToUtf8(const wchar_t* text) {
    std::string out;
    for (const wchar_t* p = text; *p; ++p) {
        char32_t c = static_cast<char32_t>(*p);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(p[1]) - 0xDC00);
            ++p;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') base = p + 1;
    return base;
}

void Show(const char* label, const wchar_t* text) {
    std::printf("  %-22s %s\n", label, ToUtf8(text).c_str());
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
#endif
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <language library>...\n", argv[0]);
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        LanguageLibrary language(argv[i]);
        TextResource texts{};
        if (!language.Fill(texts)) {
            std::fprintf(stderr, "host: cannot load InitString from %s\n", argv[i]);
            return 1;
        }
        std::printf("[%s]\n", BaseName(argv[i]));
        Show("App.Title", texts.App.Title);
        Show("Menu.File.Open", texts.Menu.File.Open);
        Show("Dialog.Save.Prompt", texts.Dialog.Save.Prompt);
        Show("Message.Info.Welcome", texts.Message.Info.Welcome);
    }
    return 0;
}
