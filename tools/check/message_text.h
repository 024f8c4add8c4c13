#pragma once

#include <string>
#include <string_view>

#include "cli/shown_text.h"
#include "text/wide_string.h"

namespace textrescheck {

using textresgen::cli::AppendShown;
using textresgen::cli::CodePointLabel;

// Names and texts from a definition file as they appear in messages: UTF-8
// in single quotes, each character shown by cli::AppendShown (so that a
// message stays one line and nothing reaches a terminal raw), and long names
// shortened in the middle ("[...]") so that a pathological line cannot flood
// the output.
std::string Quoted(textresgen::WideStringView text);

// A file name as given (bytes, usually UTF-8) made safe the same way; a byte
// that is not part of well-formed UTF-8 shows as <NN>.
inline std::string ShownPath(std::string_view path) { return textresgen::cli::Printable(path); }

}  // namespace textrescheck
