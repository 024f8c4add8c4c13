#pragma once

#include "cli/diagnostic.h"

// The one diagnostic type and reporter of the programs (cli/diagnostic.h),
// under the names the checker's code uses.
namespace textrescheck {

using textresgen::cli::Diagnostic;
using textresgen::cli::FormatDiagnostic;
using textresgen::cli::Reporter;
using textresgen::cli::Severity;

}  // namespace textrescheck
