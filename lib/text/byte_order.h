#pragma once

#include <cstring>

namespace textresgen {

// Whether char16_t units in memory already have the byte order of a UTF-16LE
// file, so that they can be copied to and from it as they are.
inline const bool kLittleEndianHost = [] {
    const char16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}();

}  // namespace textresgen
