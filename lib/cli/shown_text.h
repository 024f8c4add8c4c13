#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How the companion tools show, in every message, text that comes from
// outside: file names, names, texts, arguments. Nothing such text holds
// reaches a terminal as it is: "a<U+202E>txt.exe" would otherwise show
// reversed, and a control character could move the cursor or end a line.
namespace textresgen::cli {

// "U+0020" for a code point.
std::string CodePointLabel(char32_t codePoint);

// One character: UTF-8, or <U+XXXX> for what charclass::IsUnprintable names
// (controls, bidirectional and other format characters, line separators,
// surrogates, noncharacters, invisible characters) and for a value above
// U+10FFFF.
void AppendShown(std::string& out, char32_t codePoint);

// Bytes, usually UTF-8: each character as AppendShown shows it, each byte
// that is not part of well-formed UTF-8 as <XX>.
void AppendPrintable(std::string& out, std::string_view bytes);
std::string Printable(std::string_view bytes);

// A file name as given, in a message: Printable, never shortened.
inline std::string ShownPath(std::string_view path) { return Printable(path); }

// A name or text in a message: in single quotes, each character as
// AppendShown shows it (UTF-8: a byte that is not part of well-formed UTF-8
// as <XX>, counted as one character). One of more than kQuotedEnds * 2
// characters keeps its first and last kQuotedEnds around "[...]", so that a
// pathological line cannot flood the output while both ends, which tell a
// dotted name's group and member apart, stay in view. The UTF-16 form looks
// only at the ends: quoting costs the same for any length.
inline constexpr std::size_t kQuotedEnds = 60;
std::string Quoted(std::u16string_view units);
std::string Quoted(std::string_view utf8);

}  // namespace textresgen::cli
