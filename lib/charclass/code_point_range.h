#pragma once

#include <algorithm>
#include <cstddef>

namespace textresgen::charclass {

// A run of code points, both ends included. Tables of them are sorted and
// do not overlap.
struct CodePointRange {
    char32_t first;
    char32_t last;
};

template <std::size_t N>
bool InRanges(const CodePointRange (&table)[N], char32_t c) {
    const CodePointRange* end = table + N;
    const CodePointRange* found =
        std::upper_bound(table, end, c, [](char32_t value, const CodePointRange& r) { return value < r.first; });
    return found != table && c <= (found - 1)->last;
}

}  // namespace textresgen::charclass
