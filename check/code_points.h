#pragma once

#include <cstddef>

#include "text/wide_string.h"

namespace textrescheck {

inline bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
inline bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The code point starting at `text[i]`, advancing `i` past it. A surrogate
// pair gives one code point; an unpaired surrogate is returned as it is.
inline char32_t NextCodePoint(textresgen::WideStringView text, std::size_t& i) {
    const char32_t unit = text[i++];
    if (IsHighSurrogate(unit) && i < text.size() && IsLowSurrogate(text[i])) {
        const char32_t low = text[i++];
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    return unit;
}

}  // namespace textrescheck
