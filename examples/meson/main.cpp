// Loads the language given on the command line, else the user's, from the
// folder "languages" beside the program, and prints two of its texts.
#include <clocale>
#include <cstdio>

#include <textresgen/runtime.h>

#include "textresouce.h"
#include "textresouce_layout.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    textresgen::Catalog<TextResource> catalog(textresgen::FolderOfThisProgram() / "languages", "notes", "en");
    auto texts = catalog.Load(argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                                       : textresgen::PreferredLanguages());
    std::printf("[%s]\n", texts->Language().c_str());
    std::printf("%ls\n%ls\n", texts->Get().App.Title, texts->Get().Menu.Open);
    return 0;
}
