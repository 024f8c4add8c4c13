// textresgen-plurals INPUT OUTPUT: writes the definition file INPUT to OUTPUT
// with every plural message completed to the six plural categories.
// Exit status 0 written, 1 a file that fails (nothing written), 2 the
// command line is wrong.
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/shown_text.h"
#include "plurals/plural_completion.h"
#include "text/console.h"

namespace {

const textresgen::cli::Tool kTool = {
    "textresgen-plurals",
    "usage: textresgen-plurals INPUT OUTPUT\n"
    "\n"
    "Writes the definition file INPUT to OUTPUT (replaced whole or not at all) with\n"
    "every plural message completed: a group without subgroups whose members are all\n"
    "named zero, one, two, few, many or other gets each category it lacks, with the\n"
    "text of its 'other', right after its last member, in INPUT's encoding and line\n"
    "ends. So every language's file declares the same members. Without anything to\n"
    "complete, OUTPUT is a byte-for-byte copy of INPUT.\n"
    "\n"
    "  --help      show this help and exit\n"
    "  --version   show the version and exit\n"
    "  --          end of options: the later arguments are files, even when starting with '-'\n"
    "\n"
    "A group of category names without 'other' is copied as it is, with a warning\n"
    "(FILE:LINE).\n"
    "\n"
    "Exit status: 0 written, 1 a file could not be read or written (nothing is\n"
    "written), 2 the command line is wrong.\n"};

}  // namespace

int main(int argc, char** argv) {
    namespace cli = textresgen::cli;
    const cli::CommandLine line = cli::ParseProgramArguments(kTool, argc, argv);
    if (!line.run) return cli::Finish(line);
    if (line.operands.size() != 2) return cli::Finish(cli::UsageError(kTool, "expects INPUT and OUTPUT"));
    std::vector<textresgen::CompletionFailure> warnings;
    const auto failures = textresgen::CompletePluralGroups(line.operands[0], line.operands[1], warnings);
    const auto report = [](const textresgen::CompletionFailure& finding, const char* severity) {
        std::string where = cli::Printable(finding.file);
        if (finding.line > 0) where += ":" + std::to_string(finding.line);
        textresgen::WriteStandardError(where + ": " + severity + ": " + finding.what + "\n");
    };
    for (const auto& warning : warnings) report(warning, "warning");
    for (const auto& failure : failures) report(failure, "error");
    return failures.empty() ? 0 : 1;
}
