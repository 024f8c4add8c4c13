// textresgen-plurals INPUT OUTPUT: writes the definition file INPUT to OUTPUT
// with every plural message completed to the six plural categories.
// Exit status 0 written, 1 a file that fails (nothing written), 2 the
// command line is wrong, 3 out of memory.
#include <string>
#include <vector>

#include "cli/diagnostic.h"
#include "cli/tool_main.h"
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
    "complete, OUTPUT is a byte-for-byte copy of INPUT.\n",
    "",
    "A group of category names without 'other' is copied as it is, with a warning\n"
    "(FILE:LINE).\n"
    "\n"
    "Exit status: 0 written, 1 a file could not be read or written (nothing is\n"
    "written), 2 the command line is wrong, 3 out of memory.\n"};

}  // namespace

int main(int argc, char** argv) {
    namespace cli = textresgen::cli;
    return cli::RunToolMain(kTool, argc, argv, 2, "expects INPUT and OUTPUT", [](const auto& files) {
        std::vector<cli::Diagnostic> warnings;
        const auto failures = textresgen::CompletePluralGroups(files[0], files[1], warnings);
        cli::Reporter reporter(textresgen::WriteStandardError);
        for (const cli::Diagnostic& warning : warnings) reporter.Report(warning);
        for (const cli::Diagnostic& failure : failures) reporter.Report(failure);
        reporter.Flush();
        return reporter.Errors() == 0 ? cli::kExitOk : cli::kExitProblems;
    });
}
