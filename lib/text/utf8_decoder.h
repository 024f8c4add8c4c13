#pragma once

#include <cstddef>
#include <string_view>

namespace textresgen {

// The one place UTF-8 is decoded. One character of well-formed UTF-8 at
// `bytes[at]`: its length in bytes (1 to 4), with the code point in `c`; 0
// when the bytes there begin no well-formed sequence (a byte that cannot
// lead, a missing continuation byte, an overlong form, an encoded surrogate,
// a value above U+10FFFF, a sequence cut by the end of `bytes`).
std::size_t DecodeUtf8Step(std::string_view bytes, std::size_t at, char32_t& c);

// Incremental UTF-8 to UTF-16 decoder. Each maximal ill-formed subsequence
// becomes one U+FFFD; a character above U+FFFF becomes a surrogate pair.
// A sequence cut by the end of a chunk is completed from the next chunk.
class Utf8Decoder {
public:
    // Decodes `size` bytes into `out`, which must hold at least
    // `size + kMaxPending` units. Returns the number of units written.
    std::size_t Decode(const unsigned char* bytes, std::size_t size, char16_t* out);

    // Drops a sequence still incomplete at the end of input.
    void DropPending() { pendingCount_ = 0; }

    static constexpr std::size_t kMaxPending = 3;

private:
    // Bytes of a sequence begun in an earlier chunk, still awaiting the rest.
    unsigned char pending_[kMaxPending] = {};
    std::size_t pendingCount_ = 0;
};

}  // namespace textresgen
