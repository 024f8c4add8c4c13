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

// ---- FOR THE LEAD: stand-ins, in the embed branch only ---------------------
// textresgen-layout's textresouce_messages.h (included by
// textresouce_layout.h) declares TextResourceUtf8 and Utf8Of, and
// <textresgen/format.h> (included by runtime.h) FormatUtf8. Until those are
// merged, this block stands in for both; delete it at the merge.
#if !__has_include("textresouce_messages.h")
struct TextResourceUtf8 {
    struct _App { const char *Title, *Version; } App;
    struct _Dialog {
        struct _Open { const char *Cancel, *FileName, *Ok, *Title; } Open;
        struct _Save { const char *Cancel, *No, *Prompt, *Title, *Yes; } Save;
    } Dialog;
    struct _Menu {
        struct _Edit { const char *Copy, *Paste, *Title, *Undo; } Edit;
        struct _File { const char *Exit, *New, *Open, *Save, *Title; } File;
        struct _Help { const char *About, *Title; } Help;
    } Menu;
    struct _Message {
        struct _Error { const char *NotFound, *ReadOnly; } Error;
        struct _Info { const char *Saved, *Welcome; } Info;
    } Message;
    struct _Status {
        struct _Notes { const char *few, *many, *one, *other, *two, *zero; } Notes;
    } Status;
};
namespace textresgen {
template <>
struct Utf8Of<TextResource> {
    using type = TextResourceUtf8;
};
}  // namespace textresgen
#endif
#if !__has_include(<textresgen/format.h>)
namespace textresgen {
// The count put in place of the text's "%d": enough for this example's texts.
inline std::string FormatUtf8(const wchar_t* text, int count) {
    const wchar_t* members[] = {text};
    const std::unique_ptr<char[]> utf8 = detail::Utf8Copy(reinterpret_cast<const unsigned char*>(members), 1,
                                                          [](void* where) { new (where) const char*[1](); });
    std::string out(utf8.get() + sizeof(const char*));
    const std::size_t at = out.find("%d");
    if (at != std::string::npos) out.replace(at, 2, std::to_string(count));
    return out;
}
}  // namespace textresgen
#endif
// ---- end of the stand-ins --------------------------------------------------

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
    Show("Dialog.Save.Prompt", t.Dialog.Save.Prompt);
    Show("Message.Info.Welcome", t.Message.Info.Welcome);
    // A plural message: the form the language's rules pick for each count,
    // formatted by the run-time library (a translated text is never given to
    // printf as its format).
    for (const int count : {1, 5}) {
        const wchar_t* form = textresgen::PluralText(notes->Get().Status.Notes, *notes, count);
        Show(("Status.Notes (" + std::to_string(count) + ")").c_str(), textresgen::FormatUtf8(form, count));
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
