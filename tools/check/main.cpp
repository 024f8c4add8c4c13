// textrescheck: checks definition files for the textresgen generator and
// reports, line by line, what would break the generated C++. Never writes a
// file. Usage: textrescheck [--help] [--version] [--languages TAG[,TAG...]]
// [--] [FILE...] (default: TextResouce.txt).
#include <string>
#include <vector>

#include "check/check_run.h"
#include "check/plural_groups.h"
#include "cli/command_line.h"
#include "cli/out_of_memory.h"
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
    "Writes no file.\n",
    "  --languages TAG[,TAG...]  the project's languages (en,ru,ar): warn where a\n"
    "              plural message lacks a form that whole counts take in one of them\n",
    "Exit status: 0 no errors (warnings allowed), 1 errors, 2 a file could not be\n"
    "read or the command line is wrong, 3 out of memory.\n",
    kValueOptions};

int Check(int argc, char** argv) {
    namespace cli = textresgen::cli;
    const cli::CommandLine line = cli::ParseProgramArguments(kTool, argc, argv);
    if (!line.run) return cli::Finish(line);
    textrescheck::CheckOptions options;
    for (const cli::OptionValue& value : line.values) {
        std::string problem;
        const auto languages = textrescheck::ParseLanguageList(value.value, problem);
        if (!languages) return cli::Finish(cli::UsageError(kTool, problem));
        options.languages.insert(options.languages.end(), languages->begin(), languages->end());
    }
    return textrescheck::RunCheck(line.operands, textresgen::WriteStandardOutput, options);
}

}  // namespace

int main(int argc, char** argv) {
    return textresgen::cli::RunWithinMemory("textrescheck", [&] { return Check(argc, argv); });
}
