#include "codec/literal_lexer.h"

#include "text/unicode.h"

namespace textresgen {
namespace {

using Kind = LiteralToken::Kind;

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

bool IsOctalDigit(char16_t c) { return c >= u'0' && c <= u'7'; }

}  // namespace

int HexValue(char32_t c) {
    if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a') + 10;
    if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A') + 10;
    return -1;
}

bool LiteralLexer::Next(LiteralToken& token) {
    if (i_ == body_.size()) return false;
    token = LiteralToken{};
    token.begin = i_;
    token.character = ++character_;
    const char32_t c = unicode::NextCodePoint(body_, i_);
    if (c == U'\\') {
        Escape(token);
    } else {
        token.value = c;
    }
    token.end = i_;
    return true;
}

void LiteralLexer::Escape(LiteralToken& token) {
    if (i_ == body_.size()) {
        token.kind = Kind::BackslashAtEnd;
        return;
    }
    const char16_t kind = body_[i_];
    if (const char32_t simple = SimpleEscape(kind)) {
        Take();
        token.kind = Kind::SimpleEscape;
        token.value = simple;
    } else if (IsOctalDigit(kind)) {
        token.kind = Kind::Octal;
        for (int digits = 0; digits < 3 && i_ < body_.size() && IsOctalDigit(body_[i_]); ++digits) {
            token.value = token.value * 8 + static_cast<std::uint64_t>(body_[i_] - u'0');
            Take();
        }
    } else if (kind == u'x') {
        Take();
        for (int d; i_ < body_.size() && (d = HexValue(body_[i_])) >= 0; ++token.digits) {
            if (token.value <= 0xFFFFFFFFF) token.value = token.value * 16 + static_cast<std::uint64_t>(d);
            Take();
        }
        token.kind = token.digits == 0 ? Kind::HexWithoutDigits : Kind::Hex;
    } else if (kind == u'u' || kind == u'U') {
        Take();
        const std::size_t wanted = kind == u'u' ? 4 : 8;
        for (int d; token.digits < wanted && i_ < body_.size() && (d = HexValue(body_[i_])) >= 0; ++token.digits) {
            token.value = token.value * 16 + static_cast<std::uint64_t>(d);
            Take();
        }
        token.kind = token.digits < wanted ? Kind::IncompleteUniversal : Kind::Universal;
    } else {
        token.kind = Kind::UnknownEscape;
        token.value = unicode::NextCodePoint(body_, i_);
        ++character_;
    }
}

}  // namespace textresgen
