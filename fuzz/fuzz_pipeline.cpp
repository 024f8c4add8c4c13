// libFuzzer target: the whole pipeline in memory, definition bytes in, both
// generated files out, every property of pipeline_properties checked.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/pipeline_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure =
        textresgen::properties::CheckPipeline(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "property violated: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
