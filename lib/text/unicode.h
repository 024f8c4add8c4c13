#pragma once

#include <cstddef>

#include "text/wide_string.h"

// The code points and code-unit arithmetic that the text layer and the tools
// share, spelled once.
namespace textresgen::unicode {

inline constexpr char16_t kLineFeed = 0x000A;
inline constexpr char16_t kCarriageReturn = 0x000D;
// U+001A (SUB) ends the input wherever it stands, as it did for DOS tools.
inline constexpr char16_t kEndOfInput = 0x001A;
inline constexpr char16_t kByteOrderMark = 0xFEFF;
inline constexpr char16_t kReplacementCharacter = 0xFFFD;
// U+FFFF is dropped wherever it stands in a definition file.
inline constexpr char16_t kNotACharacter = 0xFFFF;
inline constexpr char32_t kMaxCodePoint = 0x10FFFF;
inline constexpr char32_t kFirstSupplementary = 0x10000;

inline constexpr char32_t kFirstHighSurrogate = 0xD800;
inline constexpr char32_t kFirstLowSurrogate = 0xDC00;
inline constexpr char32_t kLastSurrogate = 0xDFFF;

inline constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
inline constexpr bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The code point of a surrogate pair.
inline constexpr char32_t CombineSurrogates(char32_t high, char32_t low) {
    return kFirstSupplementary + ((high - kFirstHighSurrogate) << 10) + (low - kFirstLowSurrogate);
}
// The two units of a code point above U+FFFF.
inline constexpr char16_t HighSurrogateOf(char32_t c) {
    return static_cast<char16_t>(kFirstHighSurrogate + ((c - kFirstSupplementary) >> 10));
}
inline constexpr char16_t LowSurrogateOf(char32_t c) {
    return static_cast<char16_t>(kFirstLowSurrogate + ((c - kFirstSupplementary) & 0x3FF));
}

// The UTF-16 of a code point: one unit up to U+FFFF (a surrogate value
// stays the one unit it is), a surrogate pair above. Writes 1 or 2 units at
// `out` and returns how many.
inline std::size_t PutUtf16(char32_t c, char16_t* out) {
    if (c < kFirstSupplementary) {
        out[0] = static_cast<char16_t>(c);
        return 1;
    }
    out[0] = HighSurrogateOf(c);
    out[1] = LowSurrogateOf(c);
    return 2;
}
inline void AppendUtf16(WideString& out, char32_t c) {
    char16_t units[2];
    out.append(units, PutUtf16(c, units));
}

// The code point starting at `text[i]`, advancing `i` past it. A surrogate
// pair gives one code point; an unpaired surrogate is returned as it is.
inline char32_t NextCodePoint(WideStringView text, std::size_t& i) {
    const char32_t unit = text[i++];
    if (IsHighSurrogate(unit) && i < text.size() && IsLowSurrogate(text[i])) return CombineSurrogates(unit, text[i++]);
    return unit;
}

}  // namespace textresgen::unicode
