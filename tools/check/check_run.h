#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "check/cli_names.h"

namespace textrescheck {

// The exit statuses of textrescheck.
inline constexpr int kExitClean = 0;       // no errors (warnings allowed)
inline constexpr int kExitErrors = 1;      // at least one error
inline constexpr int kExitUnreadable = 2;  // a file could not be read

// Checked when no file is named: the generator's own input.
inline constexpr const char* kDefaultDefinitionFile = "TextResouce.txt";

// Receives the report, UTF-8 text with LF line ends, in pieces.
using ReportSink = Reporter::Sink;

// What the command line asks beyond the files.
struct CheckOptions {
    // The project's languages (--languages): each plural message should have
    // every category that whole counts take in each of them.
    std::vector<std::string> languages;
};

// Checks each definition file (the default one when `paths` is empty) and
// writes its findings in file order; each file after the first that could be
// read is also compared with it name by name. Ends with one summary line.
// Returns kExitUnreadable when any file could not be read, else kExitErrors
// when anything is an error, else kExitClean.
int RunCheck(const std::vector<std::string>& paths, const ReportSink& out, const CheckOptions& options = {});

struct FileCheck;
// The same, each file checked by `check` instead of read from disk (the fuzz
// target passes bytes held in memory).
using FileChecker = std::function<FileCheck(const std::string& path)>;
int RunCheck(const std::vector<std::string>& paths, const ReportSink& out, const FileChecker& check,
             const CheckOptions& options = {});

}  // namespace textrescheck
