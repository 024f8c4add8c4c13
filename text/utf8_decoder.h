#pragma once

#include <cstddef>

namespace textresgen {

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
