#pragma once

#include <string>

#include "text/wide_string.h"

namespace textrescheck {

// Names and texts from a definition file as they appear in messages: UTF-8
// in single quotes, control characters and unpaired surrogates shown as
// <U+XXXX> so that a message stays one line, and long names shortened in
// the middle ("[...]") so that a pathological line cannot flood the output.
std::string Quoted(textresgen::WideStringView text);

// "U+0020" for a code point.
std::string CodePointLabel(char32_t codePoint);

// The code point as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace textrescheck
