#include "layout/cpp_spelling.h"

#include <cstdio>

#include "text/unicode.h"

namespace textresgen {
namespace {

bool PlainAscii(char32_t c) { return c >= 0x20 && c < 0x7F && c != U'\\' && c != U'"' && c != U'?'; }

std::string Escape(const char* format, unsigned long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// \u or \U naming `c` (no surrogate, at least U+00A0 or a character C++
// allows a universal character name for).
std::string UniversalName(char32_t c) {
    return c <= 0xFFFF ? Escape("\\u%04lX", c) : Escape("\\U%08lX", c);
}

}  // namespace

std::string WideLiteral(LiteralValuesView values) {
    std::string literal = "L\"";
    std::size_t piece = 0;
    for (const char32_t c : values) {
        std::string spelled;
        bool endsPiece = false;
        if (PlainAscii(c)) {
            spelled.assign(1, static_cast<char>(c));
        } else if (c < 0xA0) {
            // C++ allows no universal character name of a control or of
            // basic source characters; an octal escape of three digits
            // never takes a digit that follows.
            spelled = Escape("\\%03lo", c);
        } else if (unicode::IsSurrogate(c)) {
            spelled = Escape("\\x%04lX", c);
            endsPiece = true;  // a hex digit after it would join the escape
        } else {
            spelled = UniversalName(c);
        }
        literal += spelled;
        piece += spelled.size();
        if (endsPiece || piece >= kLiteralPiece) {
            literal += "\" L\"";
            piece = 0;
        }
    }
    return literal + "\"";
}

std::string NarrowLiteral(std::string_view utf8) {
    std::string literal = "\"";
    for (const char byte : utf8) {
        const unsigned char c = static_cast<unsigned char>(byte);
        if (PlainAscii(c)) literal.push_back(byte);
        else literal += Escape("\\%03lo", c);
    }
    return literal + "\"";
}

std::string IdentifierSpelling(WideStringView name) {
    std::string spelled;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char32_t c = name[i];
        if (unicode::IsHighSurrogate(c) && i + 1 < name.size() && unicode::IsLowSurrogate(name[i + 1]))
            c = unicode::CombineSurrogates(c, name[++i]);
        if (c < 0x80) spelled.push_back(static_cast<char>(c));
        else spelled += UniversalName(c);
    }
    return spelled;
}

}  // namespace textresgen
