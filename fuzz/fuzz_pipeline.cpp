// libFuzzer target: the whole pipeline in memory, definition bytes in, both
// generated files out, every property of pipeline_properties checked.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/pipeline_properties.h"

// The header indents every structure by its depth, so its size grows with
// the square of the nesting: a few thousand dots in 8 KB make a 100 MB
// header, which the program writes in a tenth of a second but the checks,
// run twice under the sanitizers, cannot read within the fuzzer's time limit.
// Such inputs are left to the heavy tests (14998 levels, checked as the
// header streams by); here the nesting stays below a thousand levels.
constexpr std::ptrdiff_t kMostDots = 1000;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (std::count(data, data + size, static_cast<std::uint8_t>('.')) > kMostDots) return 0;
    const std::string failure =
        textresgen::properties::CheckPipeline(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "property violated: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
