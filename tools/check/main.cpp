// textrescheck: checks definition files for the textresgen generator and
// reports, line by line, what would break the generated C++. Never writes a
// file. Usage: textrescheck [--help] [--version] [--languages TAG[,TAG...]]
// [--] [FILE...] (default: TextResouce.txt).
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "check/check_run.h"
#include "check/plural_groups.h"
#include "cli/command_line.h"
#include "text/console.h"

namespace {

const char* const kValueOptions[] = {"--languages", nullptr};

const textresgen::cli::Tool kTool = {
    "textrescheck",
    "usage: textrescheck [--languages TAG[,TAG...]] [FILE...]\n"
    "\n"
    "Checks textresgen definition files and reports, with line numbers, what would\n"
    "break the generated C++. Without FILE it checks TextResouce.txt in the current\n"
    "folder; every file after the first is also compared with it name by name.\n"
    "Writes no file.\n"
    "\n"
    "  --languages TAG[,TAG...]  the project's languages (en,ru,ar): warn where a\n"
    "              plural message lacks a form that whole counts take in one of them\n"
    "  --help      show this help and exit\n"
    "  --version   show the version and exit\n"
    "  --          end of options: every later argument is a FILE, even one starting with '-'\n"
    "\n"
    "Exit status: 0 no errors (warnings allowed), 1 errors, 2 a file could not be\n"
    "read or the command line is wrong, 3 out of memory.\n",
    kValueOptions};

}  // namespace

int main(int argc, char** argv) {
    try {
        const textresgen::cli::CommandLine line = textresgen::cli::ParseProgramArguments(kTool, argc, argv);
        if (!line.run) return textresgen::cli::Finish(line);
        textrescheck::CheckOptions options;
        for (const textresgen::cli::OptionValue& value : line.values) {
            std::string problem;
            const auto languages = textrescheck::ParseLanguageList(value.value, problem);
            if (!languages) return textresgen::cli::Finish(textresgen::cli::UsageError(kTool, problem));
            options.languages.insert(options.languages.end(), languages->begin(), languages->end());
        }
        return textrescheck::RunCheck(line.operands, textresgen::WriteStandardOutput, options);
    } catch (const std::bad_alloc&) {
        textresgen::WriteStandardError("textrescheck: out of memory\n");
    } catch (const std::length_error&) {
        textresgen::WriteStandardError("textrescheck: out of memory (definition too large)\n");
    }
    return 3;  // neither a finding nor a file problem
}
