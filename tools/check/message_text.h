#pragma once

#include "cli/shown_text.h"

// How text from a definition file appears in the checker's messages: the
// rules of cli/shown_text.h, under the names the checker's code uses.
namespace textrescheck {

using textresgen::cli::AppendShown;
using textresgen::cli::CodePointLabel;
using textresgen::cli::Quoted;
using textresgen::cli::ShownPath;

}  // namespace textrescheck
