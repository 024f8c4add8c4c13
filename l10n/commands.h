#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "l10n/base_file.h"
#include "l10n/exchange_unit.h"

// textresl10n: the commands behind the program, and the in-memory import
// that the tests and the fuzz target use.
namespace textresl10n {

inline constexpr int kExitOk = 0;
inline constexpr int kExitProblems = 1;  // a file has errors; stats: untranslated or unreviewed units
inline constexpr int kExitUsage = 2;     // the command line is wrong
inline constexpr int kExitMemory = 3;    // out of memory

// Receives UTF-8 text.
using TextSink = std::function<void(std::string_view)>;

enum class ExchangeFormat { Po, Xliff };

// The format a file name's extension names (.po/.pot, .xlf/.xliff); false
// for any other.
bool FormatOfPath(const std::string& path, ExchangeFormat& format);

// The units of an exchange file's bytes.
bool ReadExchange(std::string_view bytes, ExchangeFormat format, std::vector<ExchangeUnit>& units,
                  ExchangeProblem& problem);

struct ImportResult {
    bool ok = false;
    std::string definition;               // the definition file (UTF-16LE, FF FE, CR LF) when ok
    std::vector<ExchangeProblem> errors;  // in file order
    std::vector<ExchangeProblem> warnings;
    std::size_t units = 0;
    std::size_t fellBack = 0;             // units that took their source text
};

// Turns an exchange file into a definition file: one line per unit in file
// order, each translated text encoded back into a literal body; a unit
// without a usable translation takes its source text. Every key must be a
// dotted name, every translation must take the printf arguments its source
// takes, and the result must pass textrescheck without errors; otherwise
// nothing is produced.
ImportResult ImportExchange(std::string_view bytes, ExchangeFormat format);

// Runs the program with its arguments (argv without the program name).
int RunL10n(const std::vector<std::string>& arguments, const TextSink& out, const TextSink& err);

}  // namespace textresl10n
