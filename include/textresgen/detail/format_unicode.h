// The characters of Format's arguments and of its UTF-8 result, and the
// UTF-8 of Loaded::Utf8(). The run-time
// library may use nothing of lib/ (whose text/ holds the decoder the tools
// share), so it reads its arguments here: every byte or unit that is no
// part of a well-formed character becomes U+FFFD, never a read past the
// text's end or its NUL.
#pragma once

#include <cstddef>
#include <string>

namespace textresgen::format_unicode {

inline constexpr char32_t kReplacement = 0xFFFD;
inline constexpr std::size_t kToNul = static_cast<std::size_t>(-1);

inline bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Whether s[i] is past the text: its size, or its NUL for kToNul.
template <class Unit>
bool AtEnd(const Unit* s, std::size_t size, std::size_t i) {
    return size == kToNul ? s[i] == Unit(0) : i >= size;
}

// One character of UTF-8 at s[i], i advanced past it. A sequence is read
// by its lead byte's length and then judged whole (overlong, surrogate,
// above U+10FFFF): a broken one becomes one U+FFFD for the bytes read, a
// byte that leads nothing one U+FFFD. A continuation byte is looked at only
// after the one before it continued, so a NUL ends the read.
inline char32_t NextUtf8(const unsigned char* s, std::size_t size, std::size_t& i) {
    const unsigned char lead = s[i++];
    if (lead < 0x80) return lead;
    std::size_t length = 0;
    char32_t c = 0;
    if ((lead & 0xE0) == 0xC0) length = 2, c = lead & 0x1Fu;
    else if ((lead & 0xF0) == 0xE0) length = 3, c = lead & 0x0Fu;
    else if ((lead & 0xF8) == 0xF0) length = 4, c = lead & 0x07u;
    else return kReplacement;
    for (std::size_t k = 1; k < length; ++k) {
        if (AtEnd(s, size, i) || (s[i] & 0xC0) != 0x80) return kReplacement;
        c = (c << 6) | (s[i++] & 0x3Fu);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[length] || IsSurrogate(c) || c > 0x10FFFF) return kReplacement;
    return c;
}

// One character of a wide text at s[i], i advanced past it: UTF-16 where
// wchar_t has 16 bits (a lone surrogate U+FFFD), else UTF-32 (a surrogate
// or a value above U+10FFFF U+FFFD).
inline char32_t NextWide(const wchar_t* s, std::size_t size, std::size_t& i) {
    const char32_t c = static_cast<char32_t>(s[i++]) & (sizeof(wchar_t) == 2 ? 0xFFFFu : 0xFFFFFFFFu);
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0xD800 && c <= 0xDBFF && !AtEnd(s, size, i)) {
            const char32_t low = static_cast<char32_t>(s[i]) & 0xFFFFu;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                ++i;
                return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            }
        }
    }
    return IsSurrogate(c) || c > 0x10FFFF ? kReplacement : c;
}

inline void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        const char bytes[] = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        out.append(bytes, 2);
    } else if (c < 0x10000) {
        const char bytes[] = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                              static_cast<char>(0x80 | (c & 0x3F))};
        out.append(bytes, 3);
    } else {
        const char bytes[] = {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                              static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        out.append(bytes, 4);
    }
}

inline void AppendWide(std::wstring& out, char32_t c) {
    if (sizeof(wchar_t) == 2 && c > 0xFFFF) {
        out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

}  // namespace textresgen::format_unicode
