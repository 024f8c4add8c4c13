#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/diagnostic.h"
#include "l10n/exchange_format.h"

// What textresl10n's commands do with files, given complete options: read,
// compare with the base, write, report. The command line is read elsewhere.
namespace textresl10n {

using textresgen::cli::Reporter;

struct Options {
    std::string command;
    std::string base;
    std::string translation;
    std::string language;
    std::string sourceLanguage = "en";
    std::string output;
    std::vector<std::string> files;
};

// The format the file name names; null, with the error reported, for none.
const ExchangeFormat* FormatOfFile(const std::string& path, Reporter& err);

// Each command reports to `err` (stats its counts to `out`) and returns
// false when a file had errors (stats: or a unit is unfinished).
bool ExportFile(const Options& options, const ExchangeFormat& format, bool isTemplate, Reporter& err);
bool UpdateFile(const Options& options, const ExchangeFormat& format, Reporter& err);
bool ImportFile(const Options& options, const ExchangeFormat& format, Reporter& err);
// import --base of a translation kept as a definition file (the build's
// SAME_LAYOUT_AS): the same rule as for an exchange file, so the result has
// exactly the base's members, each the base's text where the file lacks it.
bool ImportDefinitionFile(const Options& options, Reporter& err);
bool PseudoFile(const Options& options, Reporter& err);
bool StatsFiles(const Options& options, const Reporter::Sink& out, Reporter& err);

}  // namespace textresl10n
