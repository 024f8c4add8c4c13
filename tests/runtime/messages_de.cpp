// A German language library of msg_en's layout, written by hand and stamped
// with msg_en's stamp, whose texts take other arguments than the base's:
// the load check must replace exactly the ones the test names.
#include <cstddef>
#include <cstring>

#include "textresouce.h"

#if defined(_WIN32)
#define EXPORT extern "C" __declspec(dllexport)
#else
#define EXPORT extern "C" __attribute__((visibility("default")))
#endif

EXPORT void InitString(TextResource& t) {
    // Every member a text without directives, then the ones that matter.
    const wchar_t* plain = L"Text (de)";
    for (std::size_t i = 0; i < sizeof t / sizeof plain; ++i)
        std::memcpy(reinterpret_cast<unsigned char*>(&t) + i * sizeof plain, &plain, sizeof plain);
    t.Status.Saved = L"%s Notizen in %d";  // swapped: replaced
    t.Status.Sizes = L"%zu Bytes in %ls, %lld insgesamt";
    t.Status.Mixed = L"%c%lc bei %p: %.1f, %Lf";
    t.Status.Percent = L"100 %% fertig";
    t.Files.Deleted.one = L"%s: eine Datei gel\u00f6scht";  // leaves out the count, the last argument
    t.Files.Deleted.zero = t.Files.Deleted.two = t.Files.Deleted.few = t.Files.Deleted.many =
        t.Files.Deleted.other = L"%s: %d Dateien gel\u00f6scht";
    t.Plain.Text = L"%s%n";         // directives added to a text that takes none: replaced
    t.Plain.Loose = L"100 % sicher";  // the base's text is no format: not compared
    t.Hostile.Quotes = L"%s";
    t.Hostile.Größe = L"%d";
    t.Hostile.Surrogates = L"%ls";
    t.Hostile.Long = L"%c";
}
