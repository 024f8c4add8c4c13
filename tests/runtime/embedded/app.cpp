// An application with its base built in (textresgen_add_library's
// EMBED_IN), no setlocale: loads from the folder and catalog named on the
// command line (with that fallback) and prints what it got, the texts through Loaded::Utf8()
// with std::cout and with {fmt} (when it was found).
// Usage: embedded_app FOLDER CATALOG FALLBACK [LANGUAGE-TAG...]
#include <iostream>
#include <string>
#include <vector>

#ifdef TEXTRESGEN_TEST_WITH_FMT
#include <fmt/core.h>
#endif

#include <textresgen/runtime.h>

#include "textresouce_layout.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: embedded_app FOLDER CATALOG FALLBACK [LANGUAGE-TAG...]\n";
        return 2;
    }
    const textresgen::Catalog<TextResource> catalog(argv[1], argv[2], argv[3]);
    const auto texts = catalog.Load(std::vector<std::string>(argv + 4, argv + argc));
    for (const std::string& line : texts->Refused()) std::cout << "refused: " << line << '\n';
    std::cout << "language: " << texts->Language() << '\n';
    const TextResourceUtf8& utf8 = texts->Utf8();
    std::cout << "cout: " << utf8.App.Title << " | " << utf8.App.Greeting << " | " << utf8.App.Smile << " | "
              << utf8.App.Broken << '\n';
#ifdef TEXTRESGEN_TEST_WITH_FMT
    fmt::print("fmt: {} | {} | {} | {}\n", utf8.App.Title, utf8.App.Greeting, utf8.App.Smile, utf8.App.Broken);
#else
    std::cout << "fmt: skipped, {fmt} was not found (Debian's libfmt-dev)\n";
#endif
    return 0;
}
