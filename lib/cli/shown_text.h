#pragma once

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

}  // namespace textresgen::cli
