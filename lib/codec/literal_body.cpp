#include "codec/literal_body.h"

#include "charclass/character_classes.h"
#include "codec/literal_lexer.h"
#include "text/unicode.h"
#include "text/utf8_decoder.h"
#include "text/utf8_encoder.h"

namespace textresgen {
namespace {

using namespace unicode;

void AppendAscii(WideString& out, const char* text) {
    while (*text != '\0') out += static_cast<char16_t>(*text++);
}

// Three octal digits always: a digit that follows cannot join the escape.
void AppendOctal(WideString& out, char32_t value) {
    out += u'\\';
    out += static_cast<char16_t>(u'0' + ((value >> 6) & 7));
    out += static_cast<char16_t>(u'0' + ((value >> 3) & 7));
    out += static_cast<char16_t>(u'0' + (value & 7));
}

void AppendHex(WideString& out, char32_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += static_cast<char16_t>(kDigits[(value >> shift) & 0xF]);
}

}  // namespace

TokenFault FaultOf(const LiteralToken& token) {
    const auto value = static_cast<char32_t>(token.value);
    switch (token.kind) {
        case LiteralToken::Kind::Character:
            return value == U'"' || IsSurrogate(value) ? TokenFault::Broken : TokenFault::None;
        case LiteralToken::Kind::SimpleEscape:
        case LiteralToken::Kind::Octal: return TokenFault::None;
        case LiteralToken::Kind::Hex: return token.value > 0xFFFF ? TokenFault::Broken : TokenFault::None;
        case LiteralToken::Kind::Universal:
            return IsSurrogate(value) || token.value > kMaxCodePoint ? TokenFault::Broken : TokenFault::None;
        case LiteralToken::Kind::UnknownEscape: return value < 0x80 ? TokenFault::Unportable : TokenFault::Broken;
        case LiteralToken::Kind::HexWithoutDigits:
        case LiteralToken::Kind::IncompleteUniversal:
        case LiteralToken::Kind::BackslashAtEnd: break;
    }
    return TokenFault::Broken;
}

namespace {

// Why a token that is a fault (FaultOf) makes a body no valid one.
const char* FaultMessage(const LiteralToken& token) {
    switch (token.kind) {
        case LiteralToken::Kind::Character:
            return token.value == U'"' ? "an unescaped '\"' ends the literal early"
                                       : "an unpaired surrogate is no character a compiler can read";
        case LiteralToken::Kind::Hex: return "'\\x' gives a value above 0xFFFF, too large for a 16-bit wchar_t";
        case LiteralToken::Kind::Universal: return "a \\u or \\U that names no character";
        case LiteralToken::Kind::HexWithoutDigits: return "'\\x' has no hex digits";
        case LiteralToken::Kind::IncompleteUniversal: return "an incomplete \\u or \\U (\\u takes 4 hex digits, \\U 8)";
        case LiteralToken::Kind::UnknownEscape:
            return "an escape that C++ does not define: compilers read it differently";
        case LiteralToken::Kind::BackslashAtEnd: return "a backslash at the end escapes the literal's closing quote";
        case LiteralToken::Kind::SimpleEscape:
        case LiteralToken::Kind::Octal: break;
    }
    return "";
}

}  // namespace

bool DecodeLiteralBody(WideStringView body, LiteralValues& values, LiteralProblem& problem) {
    values.clear();
    values.reserve(body.size());
    LiteralLexer lexer(body);
    for (LiteralToken token; lexer.Next(token);) {
        if (FaultOf(token) != TokenFault::None) {
            problem.character = token.character;
            problem.message = FaultMessage(token);
            return false;
        }
        values.push_back(static_cast<char32_t>(token.value));
    }
    return true;
}

WideString EncodeLiteralBody(LiteralValuesView values) {
    WideString out;
    out.reserve(values.size() + values.size() / 8);
    bool afterHexEscape = false;
    char32_t previous = 0;
    for (const char32_t c : values) {
        const bool wasHex = afterHexEscape;
        afterHexEscape = false;
        switch (c) {
            case U'"': AppendAscii(out, "\\\""); break;
            case U'\\': AppendAscii(out, "\\\\"); break;
            case U'\n': AppendAscii(out, "\\n"); break;
            case U'\t': AppendAscii(out, "\\t"); break;
            case U'\r': AppendAscii(out, "\\r"); break;
            case U'?':
                // "??" followed by certain characters was a trigraph before
                // C++17, and still is for some compilers' options.
                if (previous == U'?') AppendAscii(out, "\\?"); else out += u'?';
                break;
            default:
                if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
                    AppendOctal(out, c);
                } else if (wasHex && HexValue(c) >= 0) {
                    AppendOctal(out, c);  // a hex digit would join the \x before it
                } else if (IsSurrogate(c)) {
                    AppendAscii(out, "\\x");
                    AppendHex(out, c, 4);
                    afterHexEscape = true;
                } else if (c == kByteOrderMark || c == 0xFFFE || c == kNotACharacter || c == 0x2028 || c == 0x2029 ||
                           charclass::IsBidiControl(c)) {
                    AppendAscii(out, "\\u");
                    AppendHex(out, c, 4);
                } else {
                    AppendUtf16(out, c);
                }
        }
        previous = c;
    }
    return out;
}

bool ValuesToUtf8(LiteralValuesView values, std::string& utf8) {
    utf8.clear();
    utf8.reserve(values.size());
    for (const char32_t c : values) {
        if (IsSurrogate(c) || c > kMaxCodePoint) return false;
        AppendUtf8(utf8, c);
    }
    return true;
}

bool Utf8ToValues(std::string_view utf8, LiteralValues& values, std::size_t& badOffset) {
    values.clear();
    values.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8Step(utf8, i, c);
        if (length == 0) {
            badOffset = i;
            return false;
        }
        values.push_back(c);
        i += length;
    }
    return true;
}

bool UnitsToValues(WideStringView units, LiteralValues& values) {
    values.clear();
    values.reserve(units.size());
    for (std::size_t i = 0; i < units.size();) {
        const char32_t c = NextCodePoint(units, i);
        if (IsSurrogate(c)) return false;
        values.push_back(c);
    }
    return true;
}

WideString ValuesToUnits(LiteralValuesView values) {
    WideString units;
    units.reserve(values.size());
    for (const char32_t c : values) AppendUtf16(units, c);
    return units;
}

}  // namespace textresgen
