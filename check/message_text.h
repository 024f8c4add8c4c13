#pragma once

#include <string>
#include <string_view>

#include "text/wide_string.h"

namespace textrescheck {

// Names and texts from a definition file as they appear in messages: UTF-8
// in single quotes, characters that must not reach a terminal (see AppendShown) shown as
// <U+XXXX> so that a message stays one line, and long names shortened in
// the middle ("[...]") so that a pathological line cannot flood the output.
std::string Quoted(textresgen::WideStringView text);

// One character as a message shows it: UTF-8, or <U+XXXX> for whatever must
// not reach a terminal as it is (controls, format characters, separators,
// surrogates, noncharacters).
void AppendShown(std::string& out, char32_t codePoint);

// A file name as given (bytes, usually UTF-8) made safe the same way; a byte
// that is not part of well-formed UTF-8 shows as <0xNN>.
std::string ShownPath(std::string_view path);

// "U+0020" for a code point.
std::string CodePointLabel(char32_t codePoint);

// The code point as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace textrescheck
