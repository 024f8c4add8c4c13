#pragma once

#include "cli/shown_text.h"

// Keys and texts from untrusted files as they appear in messages: the rules
// of cli/shown_text.h, under the name textresl10n's code uses.
namespace textresl10n {

using textresgen::cli::Quoted;

}  // namespace textresl10n
