// Prints the language loaded for the tag given, its title and the folder it
// came from: "ja Memo /usr/lib/shipped/languages".
#include <cstdio>
#include <string>

#include <textresgen/runtime.h>

#include "shipped_languages.h"
#include "textresouce.h"
#include "textresouce_layout.h"

int main(int argc, char** argv) {
    const std::filesystem::path folder = shipped_languages::Folder();
    textresgen::Catalog<TextResource> catalog(folder, "shipped", "en");
    auto texts = catalog.Load({argc > 1 ? argv[1] : "en"});
    std::string title;
    for (const wchar_t* at = texts->Get().Title; *at != 0; ++at) {
        title += static_cast<char>(*at);  // the test's texts are ASCII
    }
    std::printf("%s %s %s\n", texts->Language().c_str(), title.c_str(), folder.string().c_str());
    return 0;
}
