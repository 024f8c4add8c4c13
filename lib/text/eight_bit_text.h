#pragma once

#include <algorithm>
#include <cstddef>

#include "text/utf16_reader.h"

namespace textresgen {

// How many of a definition file's first bytes tell its encoding.
constexpr std::size_t kEncodingSniffBytes = 4096;

// Whether a definition file starting with `head` (its first
// kEncodingSniffBytes bytes, or all of a shorter file) is 8-bit text (UTF-8
// or ASCII without the mark EF BB BF, Shift-JIS, Latin-1, ...) that the
// generator would read as UTF-16LE, its encoding without a mark, and so as
// nonsense: no mark, and not one NUL byte. A UTF-16LE definition holds a NUL
// for every ASCII character ('=', its line ends), so one without NUL in its
// first bytes holds no definition there; text in an 8-bit code holds no NUL
// at all.
inline bool LooksLikeEightBitText(const unsigned char* head, std::size_t count) {
    if (count < 2 || LeadingMarkOf(head, count) != LeadingMark::None) return false;
    return std::find(head, head + count, static_cast<unsigned char>(0)) == head + count;
}

}  // namespace textresgen
