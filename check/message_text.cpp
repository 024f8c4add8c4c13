#include "check/message_text.h"

#include <cstdio>

#include "check/code_points.h"

namespace textrescheck {
namespace {

constexpr std::size_t kHeadShown = 40;  // code points kept before "[...]"
constexpr std::size_t kTailShown = 40;  // and after it

std::size_t CountCodePoints(textresgen::WideStringView text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) NextCodePoint(text, i);
    return count;
}

void AppendShown(std::string& out, char32_t codePoint) {
    if (codePoint < 0x20 || codePoint == 0x7F || IsSurrogate(codePoint))
        out += "<" + CodePointLabel(codePoint) + ">";
    else
        AppendUtf8(out, codePoint);
}

}  // namespace

std::string CodePointLabel(char32_t codePoint) {
    char label[16];
    std::snprintf(label, sizeof label, "U+%04X", static_cast<unsigned>(codePoint));
    return label;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (IsSurrogate(c) || c > 0x10FFFF) c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Quoted(textresgen::WideStringView text) {
    const std::size_t total = CountCodePoints(text);
    const bool shorten = total > kHeadShown + kTailShown + 5;
    std::string out = "'";
    std::size_t index = 0;
    for (std::size_t i = 0; i < text.size(); ++index) {
        const char32_t codePoint = NextCodePoint(text, i);
        if (shorten && index >= kHeadShown && index < total - kTailShown) {
            if (index == kHeadShown) out += "[...]";
            continue;
        }
        AppendShown(out, codePoint);
    }
    out += "'";
    return out;
}

}  // namespace textrescheck
