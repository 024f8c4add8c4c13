#pragma once

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#ifdef TEXTRESGEN_FAULT_SHIM  // where the fault library is built (Linux)

namespace textresgen::test {

// The environment that preloads the fault library (support/io_fault_shim.cpp)
// into the program, with the given settings for it. A sanitizer runtime is
// told not to insist on being loaded first.
inline std::vector<std::pair<std::string, std::string>> FaultInjection(
    std::vector<std::pair<std::string, std::string>> settings) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    settings.emplace_back("LD_PRELOAD", TEXTRESGEN_FAULT_SHIM);
    settings.emplace_back("ASAN_OPTIONS",
                          std::string(asan != nullptr ? asan : "") + (asan && *asan ? ":" : "") +
                              "verify_asan_link_order=0");
    return settings;
}

}  // namespace textresgen::test

#endif
