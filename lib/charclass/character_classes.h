#pragma once

namespace textresgen::charclass {

// The joiners that scripts and emoji sequences need: format characters that
// belong in texts.
inline constexpr char32_t kZeroWidthNonJoiner = 0x200C;
inline constexpr char32_t kZeroWidthJoiner = 0x200D;

// What a character is to the compilers and to a terminal. The tables come
// from the Unicode Character Database at build time (make_unicode_tables.py).

// May begin an identifier: ASCII letters, '_', and XID_Start characters
// that every supported compiler knows. ('$' is handled apart: an extension.)
bool IsIdentifierStart(char32_t c);
// May continue an identifier: the above, ASCII digits, and XID_Continue.
bool IsIdentifierContinue(char32_t c);
// An identifier character of a Unicode version newer than the compilers know.
bool IsNewerIdentifierCharacter(char32_t c);
// Invisible characters that format text (General_Category Cf), the
// bidirectional controls among them.
bool IsFormatCharacter(char32_t c);
bool IsBidiControl(char32_t c);
// Must not reach a terminal as it is: C0 and C1 controls, DEL, format
// characters, line and paragraph separators, surrogates, noncharacters, and
// the characters Unicode marks as default ignorable (invisible: variation
// selectors, fillers, and code points reserved for more of them).
bool IsUnprintable(char32_t c);

// The Unicode version of the tables, and the one of the identifier rules.
const char* UnicodeDatabaseVersion();
const char* IdentifierUnicodeVersion();

}  // namespace textresgen::charclass
