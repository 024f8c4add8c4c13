// libFuzzer target: textresl10n's import of PO and XLIFF files, every
// property of import_properties checked.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/import_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure =
        textresl10n::properties::CheckImport(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "property violated: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
