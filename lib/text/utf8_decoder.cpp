#include "text/utf8_decoder.h"

#include "text/unicode.h"

namespace textresgen {
namespace {

using unicode::kReplacementCharacter;

// Length of the sequence a lead byte opens (0 for a byte that cannot lead),
// and the range its second byte must fall in; later bytes are 80..BF.
struct LeadInfo {
    unsigned char length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

LeadInfo Lead(unsigned char b) {
    if (b < 0x80) return {1, 0, 0};
    if (b < 0xC2) return {0, 0, 0};
    if (b < 0xE0) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b < 0xF0) return {3, 0x80, 0xBF};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b < 0xF4) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

bool Continues(const unsigned char* sequence, std::size_t index, const LeadInfo& lead) {
    const unsigned char b = sequence[index];
    if (index == 1) return b >= lead.secondLow && b <= lead.secondHigh;
    return b >= 0x80 && b <= 0xBF;
}

// The code point of a well-formed sequence of `length` bytes.
char32_t CodePointOf(const unsigned char* s, std::size_t length) {
    switch (length) {
        case 1: return s[0];
        case 2: return ((s[0] & 0x1Fu) << 6) | (s[1] & 0x3Fu);
        case 3: return ((s[0] & 0x0Fu) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
        default: return ((s[0] & 0x07u) << 18) | ((s[1] & 0x3Fu) << 12) | ((s[2] & 0x3Fu) << 6) | (s[3] & 0x3Fu);
    }
}

std::size_t Emit(const unsigned char* s, std::size_t length, char16_t* out) {
    return unicode::PutUtf16(CodePointOf(s, length), out);
}

// A sequence broken off by the byte `next` yields U+FFFD, unless that byte is
// the end-of-input mark 1A: then the input ends inside the character, and an
// incomplete character at the end of input is dropped.
std::size_t Broken(unsigned char next, char16_t* out) {
    if (next == unicode::kEndOfInput) return 0;
    out[0] = kReplacementCharacter;
    return 1;
}

}  // namespace

std::size_t DecodeUtf8Step(std::string_view bytes, std::size_t at, char32_t& c) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    const LeadInfo lead = Lead(s[0]);
    if (lead.length == 0 || bytes.size() - at < lead.length) return 0;
    for (std::size_t k = 1; k < lead.length; ++k)
        if (!Continues(s, k, lead)) return 0;
    c = CodePointOf(s, lead.length);
    return lead.length;
}

std::size_t Utf8Decoder::Decode(const unsigned char* bytes, std::size_t size, char16_t* out) {
    char16_t* const start = out;
    std::size_t i = 0;

    // Finish a sequence carried over from the previous chunk, byte by byte.
    while (pendingCount_ > 0 && i < size) {
        const LeadInfo lead = Lead(pending_[0]);
        unsigned char sequence[4] = {pending_[0], pending_[1], pending_[2], 0};
        sequence[pendingCount_] = bytes[i];
        if (!Continues(sequence, pendingCount_, lead)) {
            out += Broken(bytes[i], out);
            pendingCount_ = 0;
            break;
        }
        ++i;
        if (pendingCount_ + 1 == lead.length) {
            out += Emit(sequence, lead.length, out);
            pendingCount_ = 0;
        } else {
            pending_[pendingCount_] = sequence[pendingCount_];
            ++pendingCount_;
        }
    }

    while (i < size) {
        const unsigned char b = bytes[i];
        if (b < 0x80) {
            *out++ = b;
            ++i;
            continue;
        }
        const LeadInfo lead = Lead(b);
        if (lead.length == 0) {
            *out++ = kReplacementCharacter;
            ++i;
            continue;
        }
        std::size_t have = 1;
        while (have < lead.length && i + have < size && Continues(bytes + i, have, lead)) ++have;
        if (have == lead.length) {
            out += Emit(bytes + i, lead.length, out);
            i += have;
        } else if (i + have == size) {
            // Cut by the chunk's end: keep the bytes for the next chunk.
            for (std::size_t k = 0; k < have; ++k) pending_[k] = bytes[i + k];
            pendingCount_ = have;
            i = size;
        } else {
            out += Broken(bytes[i + have], out);
            i += have;
        }
    }
    return static_cast<std::size_t>(out - start);
}

}  // namespace textresgen
