#include "codec/literal_body.h"

#include "text/unicode.h"
#include "text/utf8_decoder.h"
#include "text/utf8_encoder.h"

namespace textresgen {
namespace {

using namespace unicode;

int HexValue(char32_t c) {
    if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a') + 10;
    if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A') + 10;
    return -1;
}

char32_t SimpleEscape(char16_t c) {
    switch (c) {
        case u'n': return U'\n';
        case u't': return U'\t';
        case u'v': return U'\v';
        case u'b': return U'\b';
        case u'r': return U'\r';
        case u'f': return U'\f';
        case u'a': return U'\a';
        case u'\\': return U'\\';
        case u'\'': return U'\'';
        case u'"': return U'"';
        case u'?': return U'?';
        default: return 0;
    }
}

// Decodes one body, tracking the position in code points for messages.
class BodyDecoder {
public:
    BodyDecoder(WideStringView body, LiteralValues& values, LiteralProblem& problem)
        : body_(body), values_(values), problem_(problem) {}

    bool Run() {
        values_.clear();
        values_.reserve(body_.size());
        while (i_ < body_.size()) {
            start_ = ++character_;
            const char32_t c = NextCodePoint(body_, i_);
            if (c == U'\\') {
                if (!Escape()) return false;
            } else if (c == U'"') {
                return Fail("an unescaped '\"' ends the literal early");
            } else if (IsSurrogate(c)) {
                return Fail("an unpaired surrogate is no character a compiler can read");
            } else {
                values_.push_back(c);
            }
        }
        return true;
    }

private:
    bool Escape() {
        if (i_ == body_.size()) return Fail("a backslash at the end escapes the literal's closing quote");
        const char16_t kind = body_[i_];
        if (const char32_t simple = SimpleEscape(kind)) {
            Take();
            values_.push_back(simple);
        } else if (kind >= u'0' && kind <= u'7') {
            char32_t value = 0;
            for (int digits = 0; digits < 3 && i_ < body_.size() && body_[i_] >= u'0' && body_[i_] <= u'7'; ++digits) {
                value = value * 8 + static_cast<char32_t>(body_[i_] - u'0');
                Take();
            }
            values_.push_back(value);
        } else if (kind == u'x') {
            Take();
            char32_t value = 0;
            std::size_t digits = 0;
            for (int d; i_ < body_.size() && (d = HexValue(body_[i_])) >= 0; ++digits) {
                if (value <= 0xFFFF) value = value * 16 + static_cast<char32_t>(d);
                Take();
            }
            if (digits == 0) return Fail("'\\x' has no hex digits");
            if (value > 0xFFFF) return Fail("'\\x' gives a value above 0xFFFF, too large for a 16-bit wchar_t");
            values_.push_back(value);
        } else if (kind == u'u' || kind == u'U') {
            Take();
            const std::size_t wanted = kind == u'u' ? 4 : 8;
            char32_t value = 0;
            std::size_t digits = 0;
            for (int d; digits < wanted && i_ < body_.size() && (d = HexValue(body_[i_])) >= 0; ++digits) {
                value = value * 16 + static_cast<char32_t>(d);
                Take();
            }
            if (digits < wanted) return Fail("an incomplete \\u or \\U (\\u takes 4 hex digits, \\U 8)");
            if (IsSurrogate(value) || value > kMaxCodePoint) return Fail("a \\u or \\U that names no character");
            values_.push_back(value);
        } else {
            return Fail("an escape that C++ does not define: compilers read it differently");
        }
        return true;
    }

    void Take() {
        ++i_;
        ++character_;
    }

    bool Fail(const char* message) {
        problem_.character = start_;
        problem_.message = message;
        return false;
    }

    WideStringView body_;
    LiteralValues& values_;
    LiteralProblem& problem_;
    std::size_t i_ = 0;
    std::size_t character_ = 0;
    std::size_t start_ = 0;
};

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

bool DecodeLiteralBody(WideStringView body, LiteralValues& values, LiteralProblem& problem) {
    return BodyDecoder(body, values, problem).Run();
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
                } else if (c == kByteOrderMark || c == 0xFFFE || c == kNotACharacter || c == 0x2028 || c == 0x2029) {
                    AppendAscii(out, "\\u");
                    AppendHex(out, c, 4);
                } else if (c > 0xFFFF) {
                    out += HighSurrogateOf(c);
                    out += LowSurrogateOf(c);
                } else {
                    out += static_cast<char16_t>(c);
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
    for (const char32_t c : values) {
        if (c > 0xFFFF) {
            units += HighSurrogateOf(c);
            units += LowSurrogateOf(c);
        } else {
            units += static_cast<char16_t>(c);
        }
    }
    return units;
}

}  // namespace textresgen
