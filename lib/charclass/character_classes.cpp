#include "charclass/character_classes.h"

#include "charclass/code_point_range.h"
#include "unicode_tables.inc"

namespace textresgen::charclass {

namespace data = unicode_data;

namespace {
bool IsAsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
}  // namespace

bool IsIdentifierStart(char32_t c) {
    if (c < 0x80) return IsAsciiLetter(c) || c == '_';
    return InRanges(data::kIdentifierStart, c);
}

bool IsIdentifierContinue(char32_t c) {
    if (c < 0x80) return IsAsciiLetter(c) || c == '_' || (c >= '0' && c <= '9');
    return InRanges(data::kIdentifierContinue, c);
}

bool IsNewerIdentifierCharacter(char32_t c) { return InRanges(data::kNewerIdentifierCharacters, c); }
bool IsFormatCharacter(char32_t c) { return InRanges(data::kFormatCharacters, c); }
bool IsBidiControl(char32_t c) { return InRanges(data::kBidiControls, c); }
bool IsUnprintable(char32_t c) { return InRanges(data::kUnprintable, c); }

const char* UnicodeDatabaseVersion() { return data::kDatabaseVersion; }
const char* IdentifierUnicodeVersion() { return data::kIdentifierVersion; }

}  // namespace textresgen::charclass
