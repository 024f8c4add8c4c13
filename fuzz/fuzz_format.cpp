// libFuzzer target: a translated text and typed arguments through Format,
// FormatUtf8, PrintfSignature and the load check; every property of
// format_properties held.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/format_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure =
        textresgen::format_properties::CheckFormat(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "property violated: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
