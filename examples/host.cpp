// The notes application: shows its texts in the language the user prefers,
// then switches at run time to each language named on the command line.
// Its language libraries are in the folder "languages" beside it; the
// run-time library picks one, checks that it was built from this program's
// layout of TextResource, and falls back to English, which is built into
// the program (EMBED_IN): it starts even with no languages folder at all.
// Usage: notes_host [LANGUAGE-TAG...]
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include <textresgen/runtime.h>

#include "textresouce_layout.h"

namespace {

using Notes = textresgen::CurrentLanguage<TextResource>::Handle;

void Show(const char* label, const std::string& text) { std::printf("  %-22s %s\n", label, text.c_str()); }

// Called for the first language, and again by every switch.
void ShowLanguage(const Notes& notes) {
    for (const std::string& refused : notes->Refused()) std::printf("  refused: %s\n", refused.c_str());
    std::printf("[%s]\n", notes->Language().c_str());
    // UTF-8, made once per language: for printf, std::cout or {fmt} as they are.
    const TextResourceUtf8& t = notes->Utf8();
    Show("App.Title", t.App.Title);
    Show("Menu.File.Open", t.Menu.File.Open);
    // Texts with directives are typed messages (textresouce_messages.h),
    // formatted by the run-time library, which never hands a translated text
    // to printf as its format; the Japanese Status.Moved takes its arguments
    // in the other order (%2$s ... %1$d), the same on every platform.
    Show("Dialog.Save.Prompt", notes->FormatUtf8(textresgen::msg::Dialog::Save::Prompt, "todo.txt"));
    Show("Status.Moved", notes->FormatUtf8(textresgen::msg::Status::Moved, 3, "Archive"));
    Show("Message.Info.Welcome", t.Message.Info.Welcome);
    // A plural message: the form the language's rules pick for the count.
    for (const int count : {1, 5})
        Show(("Status.Notes (" + std::to_string(count) + ")").c_str(),
             notes->FormatUtf8(textresgen::msg::Status::Notes, count));
}

std::string Joined(const std::vector<std::string>& tags) {
    std::string joined;
    for (const std::string& tag : tags) joined += (joined.empty() ? "" : ", ") + tag;
    return joined.empty() ? "(none)" : joined;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);  // the texts are printed in UTF-8
#endif
    // No LoadError to catch: English is built in, so Load always has a language.
    const textresgen::Catalog<TextResource> catalog(textresgen::FolderOfThisProgram() / "languages", "notes", "en");
    const std::vector<std::string> preferred = textresgen::PreferredLanguages();
    std::printf("available: %s\npreferred: %s\n", Joined(catalog.Available()).c_str(), Joined(preferred).c_str());
    // The texts every window reads; a switch replaces them whole, and a
    // window still holding the old ones keeps their library loaded.
    textresgen::CurrentLanguage<TextResource> current(catalog.Load(preferred));
    ShowLanguage(current.Get());
    // Every window redraws itself after a switch; here, the texts are shown again.
    current.OnChange(ShowLanguage);
    for (int i = 1; i < argc; ++i) {
        std::printf("switching to %s\n", argv[i]);
        current.Set(catalog.Load({argv[i]}));
    }
    return 0;
}
