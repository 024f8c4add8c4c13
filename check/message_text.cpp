#include "check/message_text.h"

#include <cstdio>

#include "charclass/character_classes.h"
#include "text/unicode.h"
#include "text/utf8_encoder.h"

namespace textrescheck {

using namespace textresgen::unicode;
using namespace textresgen::charclass;
namespace {

constexpr std::size_t kHeadShown = 40;  // code points kept before "[...]"
constexpr std::size_t kTailShown = 40;  // and after it

// Where the first `count` code points end, at most text.size().
std::size_t SkipForward(textresgen::WideStringView text, std::size_t count) {
    std::size_t i = 0;
    for (; i < text.size() && count > 0; --count) NextCodePoint(text, i);
    return i;
}

// Where the last `count` code points begin, never inside a surrogate pair.
std::size_t SkipBackward(textresgen::WideStringView text, std::size_t count) {
    std::size_t i = text.size();
    for (; i > 0 && count > 0; --count) {
        --i;
        if (i > 0 && IsLowSurrogate(text[i]) && IsHighSurrogate(text[i - 1])) --i;
    }
    return i;
}

}  // namespace

void AppendShown(std::string& out, char32_t codePoint) {
    if (IsUnprintable(codePoint) || codePoint > kMaxCodePoint)
        out += "<" + CodePointLabel(codePoint) + ">";
    else
        AppendUtf8(out, codePoint);
}

std::string ShownPath(std::string_view path) {
    std::string out;
    for (std::size_t i = 0; i < path.size();) {
        const auto byte = static_cast<unsigned char>(path[i]);
        // The length of a well-formed UTF-8 sequence starting here, or 0.
        std::size_t length = byte < 0x80 ? 1 : byte >= 0xC2 && byte <= 0xDF ? 2 : byte >= 0xE0 && byte <= 0xEF ? 3
                                              : byte >= 0xF0 && byte <= 0xF4 ? 4 : 0;
        char32_t c = length == 1 ? byte : byte & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = i + k < path.size() ? static_cast<unsigned char>(path[i + k]) : 0;
            if ((next & 0xC0) != 0x80) {
                length = 0;
                break;
            }
            c = (c << 6) | (next & 0x3F);
        }
        const bool wellFormed = length != 0 && !(length == 3 && (c < 0x800 || IsSurrogate(c))) &&
                                !(length == 4 && (c < 0x10000 || c > kMaxCodePoint));
        if (!wellFormed) {
            char label[8];
            std::snprintf(label, sizeof label, "<0x%02X>", static_cast<unsigned>(byte));
            out += label;
            ++i;
            continue;
        }
        AppendShown(out, c);
        i += length;
    }
    return out;
}

std::string CodePointLabel(char32_t codePoint) {
    char label[16];
    std::snprintf(label, sizeof label, "U+%04X", static_cast<unsigned>(codePoint));
    return label;
}

void AppendUtf8(std::string& out, char32_t c) {
    textresgen::AppendUtf8(out, IsSurrogate(c) || c > kMaxCodePoint ? kReplacementCharacter : c);
}

std::string Quoted(textresgen::WideStringView text) {
    // Only the ends are looked at, so quoting costs the same for any length.
    const std::size_t headEnd = SkipForward(text, kHeadShown);
    const std::size_t tailStart = SkipBackward(text, kTailShown);
    const bool shorten = tailStart > headEnd && SkipForward(text.substr(headEnd), 5) < tailStart - headEnd;
    std::string out = "'";
    const auto append = [&](textresgen::WideStringView part) {
        for (std::size_t i = 0; i < part.size();) AppendShown(out, NextCodePoint(part, i));
    };
    if (shorten) {
        append(text.substr(0, headEnd));
        out += "[...]";
        append(text.substr(tailStart));
    } else {
        append(text);
    }
    out += "'";
    return out;
}

}  // namespace textrescheck
