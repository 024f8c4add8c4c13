#pragma once

#include "cli/diagnostic.h"
#include "cli/shown_text.h"

// The names of cli/ that the checker's code uses: the one diagnostic type and
// reporter of the programs (cli/diagnostic.h), and how text from a definition
// file appears in messages (cli/shown_text.h).
namespace textrescheck {

using textresgen::cli::Diagnostic;
using textresgen::cli::FormatDiagnostic;
using textresgen::cli::Reporter;
using textresgen::cli::Severity;

using textresgen::cli::AppendShown;
using textresgen::cli::CodePointLabel;
using textresgen::cli::Quoted;
using textresgen::cli::ShownPath;

}  // namespace textrescheck
