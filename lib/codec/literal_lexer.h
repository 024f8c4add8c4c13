#pragma once

#include <cstddef>
#include <cstdint>

#include "text/wide_string.h"

// The grammar of a literal body, L"<body>", read as a compiler reads it: one
// character or escape at a time. The checker reports on the tokens, the
// codec decodes them, and the name rules read universal character names
// with them; none of them reads the grammar on its own.
namespace textresgen {

// The value of a hex digit, -1 for any other character.
int HexValue(char32_t c);

struct LiteralToken {
    enum class Kind {
        Character,            // a character written as itself; an unpaired surrogate as it is
        SimpleEscape,         // \n \t \v \b \r \f \a \\ \' \" \?: value is the character meant
        Octal,                // a backslash and 1 to 3 octal digits
        Hex,                  // \x and every hex digit that follows
        Universal,            // \u and 4 hex digits, \U and 8: value as written, a character or not
        // Malformed:
        HexWithoutDigits,     // \x with no hex digit after it
        IncompleteUniversal,  // \u or \U with fewer hex digits than it takes
        UnknownEscape,        // a backslash and a character C++ defines no escape for: value is that character
        BackslashAtEnd,       // a backslash that ends the body
    };
    Kind kind = Kind::Character;
    std::size_t begin = 0;      // [begin, end) in UTF-16 units of the body
    std::size_t end = 0;
    std::size_t character = 0;  // 1-based position of its first character, in code points
    // The value denoted. A \x value grows no further once above 0xFFFFFFFFF,
    // so an endless run of digits stays above every limit without wrapping.
    std::uint64_t value = 0;
    std::size_t digits = 0;     // hex digits of \x, \u and \U
};

// Cuts a body into tokens, from its start to its end. Time linear in the
// length of the body; no memory of its own.
class LiteralLexer {
public:
    explicit LiteralLexer(WideStringView body) : body_(body) {}

    // The next token; false at the end of the body.
    bool Next(LiteralToken& token);

private:
    void Take() {
        ++i_;
        ++character_;
    }
    void Escape(LiteralToken& token);

    WideStringView body_;
    std::size_t i_ = 0;
    std::size_t character_ = 0;
};

}  // namespace textresgen
