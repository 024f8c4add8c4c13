#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "codec/literal_lexer.h"
#include "text/wide_string.h"

// A definition's text is the body of a wide literal, L"<text>", copied into
// the generated source as it is. These functions translate between that
// spelling and the characters it denotes, for the tools that show texts to
// people (translators) and take texts back from them.
namespace textresgen {

// The elements of the wide string a literal body denotes, as a compiler with
// a 32-bit wchar_t stores them: a character written as itself (a surrogate
// pair in the file included) is one element; "\xD83D\xDE00" stays two
// elements, as it does there. Values are at most U+10FFFF; a value in the
// surrogate range comes only from a \x escape.
using LiteralValues = std::u32string;
using LiteralValuesView = std::u32string_view;

struct LiteralProblem {
    std::size_t character = 0;  // 1-based position in the body, in code points
    std::string message;        // UTF-8, without the position
};

// What one token of a literal body does to the generated source: the one
// rule of which tokens are faults. DecodeLiteralBody refuses both kinds;
// textrescheck reports Broken as an error and Unportable as a warning.
enum class TokenFault {
    None,
    // An escape C++ does not define, of an ASCII character: compilers warn
    // and keep the character, but read it differently.
    Unportable,
    // Some compiler rejects the source, or reads it otherwise than written:
    // an unescaped '"', an unpaired surrogate written as itself, \x without
    // digits or above 0xFFFF (beyond a 16-bit wchar_t), an incomplete \u or
    // \U or one naming no character, a backslash before a non-ASCII
    // character, a backslash that ends the body.
    Broken,
};
TokenFault FaultOf(const LiteralToken& token);

// Decodes a literal body as C++ does: \n \t \v \b \r \f \a \\ \' \" \?,
// octal (up to 3 digits), \x with all the hex digits that follow, \u and \U.
// False, with the first problem, when the body is not one the generated
// source compiles the same way everywhere: an unescaped '"', a backslash at
// the end, \x without digits or above 0xFFFF (beyond a 16-bit wchar_t), an
// incomplete \u or \U or one naming a surrogate or a value above U+10FFFF,
// an escape C++ does not define (compilers differ on it), or an unpaired
// surrogate written as itself.
bool DecodeLiteralBody(WideStringView body, LiteralValues& values, LiteralProblem& problem);

// A literal body that denotes exactly `values` (each at most U+10FFFF), which
// the generator and every compiler take: '"' and '\' escaped, control
// characters, U+001A, U+FEFF, U+FFFE, U+FFFF, U+2028 and U+2029 written as
// octal or \u escapes (never raw, since the reader or a compiler would drop
// or cut them), the bidirectional controls (U+061C, U+200E, U+200F,
// U+202A-U+202E, U+2066-U+2069) as \u escapes (raw, they make g++ warn
// -Wbidi-chars and reorder the source in an editor), the second '?' of "??" escaped, a surrogate value as \x
// (the only escape for it), and never a hex digit right after a \x escape.
WideString EncodeLiteralBody(LiteralValuesView values);

// UTF-8 of the values; false when one is a surrogate (no UTF-8 form).
bool ValuesToUtf8(LiteralValuesView values, std::string& utf8);
// The values of well-formed UTF-8. False, with the byte offset of the first
// problem, for an ill-formed sequence, an encoded surrogate or a value
// above U+10FFFF.
bool Utf8ToValues(std::string_view utf8, LiteralValues& values, std::size_t& badOffset);

// UTF-16 units as values (a pair becomes one value). False when a unit is an
// unpaired surrogate.
bool UnitsToValues(WideStringView units, LiteralValues& values);
// Values (none a surrogate) as UTF-16 units.
WideString ValuesToUnits(LiteralValuesView values);

}  // namespace textresgen
