// Usage: plurals_host LANGUAGE-TAG... Loads each language's library from
// the folder "languages" beside it and prints its language and the six
// members of Files.Deleted, UTF-8, in CLDR's order.
#include <cstdio>
#include <string>
#include <utility>

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
            const auto loaded = catalog.Load({argv[i]});
            for (const std::string& refused : loaded->Refused()) std::printf("refused: %s\n", refused.c_str());
            const auto& deleted = loaded->Get().Files.Deleted;
            std::printf("[%s]\n", loaded->Language().c_str());
            const std::pair<const char*, const wchar_t*> forms[] = {
                {"zero", deleted.zero}, {"one", deleted.one},   {"two", deleted.two},
                {"few", deleted.few},   {"many", deleted.many}, {"other", deleted.other}};
            for (const auto& [category, text] : forms) std::printf("%s=%s\n", category, ToUtf8(text).c_str());
        }
    } catch (const textresgen::LoadError& error) {
        std::printf("not loaded: %s\n", error.what());
        return 1;
    }
    return 0;
}
