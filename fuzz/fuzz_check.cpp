// libFuzzer target: textrescheck on definition bytes held in memory, alone
// and compared with another file; every property of check_properties held.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/check_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure =
        textrescheck::properties::CheckReport(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "property violated: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
