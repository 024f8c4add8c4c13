#pragma once

#include <string>
#include <string_view>

// Properties that textrescheck's report must have for every definition file.
// Shared by the checker's fuzz target and the corpus replay test. Each check
// returns an empty string when the property holds, otherwise a one-line
// description of the first violation.
namespace textrescheck::properties {

// Checks `definition` alone, and as the second of two files compared with
// its first half, and checks every report:
// - no crash (the sanitizers of the fuzz build see the rest);
// - the report is well-formed UTF-8 without any control, format or separator
//   character but the LF that ends each line;
// - every line but the last is a finding "NAME:LINE: error|warning|note: ..."
//   (or "NAME: error: ..." for the whole file), in file order; the last line
//   is the summary;
// - the summary counts equal the printed errors and warnings plus those that
//   the per-line notes say were not shown, and no line shows more findings
//   than the cap;
// - the exit status agrees with the summary.
std::string CheckReport(std::string_view definition);

// The properties of one report, as RunCheck wrote it for `files` files named
// A.txt, B.txt, ..., with the given exit status.
std::string CheckReportText(const std::string& report, int status, int files);

}  // namespace textrescheck::properties
