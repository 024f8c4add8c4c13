// The notes application: shows its texts in the language the user prefers,
// then switches at run time to each language named on the command line.
// Its language libraries are in the folder "languages" beside it; the
// run-time library picks one, checks that it was built from this program's
// layout of TextResource, and falls back to English when it was not.
// Usage: notes_host [LANGUAGE-TAG...]
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include <textresgen/runtime.h>

#include "textresouce.h"
#include "textresouce_layout.h"

namespace {

using Notes = textresgen::Loaded<TextResource>;

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

void Show(const char* label, const wchar_t* text) {
    std::printf("  %-22s %s\n", label, ToUtf8(text).c_str());
}

void ShowLanguage(const Notes& notes) {
    for (const std::string& refused : notes.Refused()) std::printf("  refused: %s\n", refused.c_str());
    std::printf("[%s]\n", notes.Language().c_str());
    const TextResource& t = notes.Get();
    Show("App.Title", t.App.Title);
    Show("Menu.File.Open", t.Menu.File.Open);
    Show("Dialog.Save.Prompt", t.Dialog.Save.Prompt);
    Show("Message.Info.Welcome", t.Message.Info.Welcome);
    // A plural message: the form the language's rules pick for each count.
    for (const int count : {1, 5}) {
        wchar_t line[128];
        std::swprintf(line, sizeof line / sizeof line[0], textresgen::PluralText(t.Status.Notes, notes.Language(), count),
                      count);
        Show(("Status.Notes (" + std::to_string(count) + ")").c_str(), line);
    }
}

std::string Joined(const std::vector<std::string>& tags) {
    std::string joined;
    for (const std::string& tag : tags) joined += (joined.empty() ? "" : ", ") + tag;
    return joined.empty() ? "(none)" : joined;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
#endif
    try {
        const textresgen::Catalog<TextResource> catalog(textresgen::FolderOfThisProgram() / "languages", "notes", "en");
        const std::vector<std::string> preferred = textresgen::PreferredLanguages();
        std::printf("available: %s\npreferred: %s\n", Joined(catalog.Available()).c_str(), Joined(preferred).c_str());
        // The texts every window reads; a switch replaces them whole, and a
        // window still holding the old ones keeps their library loaded.
        textresgen::CurrentLanguage<TextResource> current(catalog.Load(preferred));
        ShowLanguage(*current.Get());
        for (int i = 1; i < argc; ++i) {
            std::printf("switching to %s\n", argv[i]);
            current.Set(catalog.Load({argv[i]}));
            ShowLanguage(*current.Get());
        }
    } catch (const textresgen::LoadError& error) {
        std::fprintf(stderr, "notes: %s\n", error.what());
        return 1;
    }
    return 0;
}
