// Usage: plurals_host LANGUAGE-TAG... Loads each language's library from
// the folder "languages" beside it and prints, UTF-8, what Files.Count
// gives for a few counts, each form picked by PluralText.
#include <cstdio>
#include <cwchar>
#include <string>

#include <textresgen/runtime.h>

#include "textresouce.h"
#include "textresouce_layout.h"

namespace {

std::string ToUtf8(const wchar_t* text) {
    std::string out;
    for (const wchar_t* p = text; *p; ++p) {
        const auto c = static_cast<char32_t>(*p);  // the texts here are all in the BMP
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const textresgen::Catalog<TextResource> catalog(textresgen::FolderOfThisProgram() / "languages", "plurals",
                                                        "en");
        for (int i = 1; i < argc; ++i) {
            const auto texts = catalog.Load({argv[i]});
            for (const std::string& refused : texts->Refused()) std::printf("refused: %s\n", refused.c_str());
            std::printf("[%s]", texts->Language().c_str());
            for (const int n : {0, 1, 2, 3, 5, 11, 21, 100}) {
                wchar_t line[100];
                std::swprintf(line, 100, textresgen::PluralText(texts->Get().Files.Count, *texts, n), n);
                std::printf(" %s |", ToUtf8(line).c_str());
            }
            std::printf("\n");
        }
    } catch (const textresgen::LoadError& error) {
        std::printf("not loaded: %s\n", error.what());
        return 1;
    }
    return 0;
}
