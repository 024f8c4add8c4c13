#pragma once

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#ifdef TEXTRESGEN_FAULT_SHIM  // where the fault library is built (Linux)

namespace textresgen::test {

// The environment that preloads `library` into the program, with the given
// settings for it. A sanitizer runtime is told not to insist on being loaded
// first.
inline std::vector<std::pair<std::string, std::string>> Preloading(
    const char* library, std::vector<std::pair<std::string, std::string>> settings) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    settings.emplace_back("LD_PRELOAD", library);
    settings.emplace_back("ASAN_OPTIONS",
                          std::string(asan != nullptr ? asan : "") + (asan && *asan ? ":" : "") +
                              "verify_asan_link_order=0");
    return settings;
}

// The I/O fault library (support/io_fault_shim.cpp).
inline std::vector<std::pair<std::string, std::string>> FaultInjection(
    std::vector<std::pair<std::string, std::string>> settings) {
    return Preloading(TEXTRESGEN_FAULT_SHIM, std::move(settings));
}

#ifdef TEXTRESGEN_ALLOC_FAULT_SHIM
// The allocation fault library (support/alloc_fault_shim.cpp); not under a
// sanitizer, whose runtime owns malloc.
inline std::vector<std::pair<std::string, std::string>> AllocationFaultInjection(
    std::vector<std::pair<std::string, std::string>> settings) {
    return Preloading(TEXTRESGEN_ALLOC_FAULT_SHIM, std::move(settings));
}
#endif

}  // namespace textresgen::test

#endif
