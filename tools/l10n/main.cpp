// textresl10n: PO and XLIFF files for translators, made from and turned back
// into textresgen definition files. See docs/translators.md.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/out_of_memory.h"
#include "l10n/commands.h"
#include "text/console.h"
#include "text/program_arguments.h"

namespace {

// A write to standard output failed: it is reported as that, not lost.
struct StandardOutputFailed {};

void WriteOut(std::string_view text) {
    textresgen::WriteStandardOutput(text);
    if (std::ferror(stdout)) throw StandardOutputFailed{};
}

int L10n(int argc, char** argv) {
    try {
        const std::vector<std::string> arguments = textresgen::ProgramArguments(argc, argv);
        return textresl10n::RunL10n(arguments, WriteOut, textresgen::WriteStandardError);
    } catch (const StandardOutputFailed&) {
        textresgen::WriteStandardError(
            "textresl10n: standard output: error: cannot be written (a full disk, or a reader that went away)\n");
        return textresgen::cli::kExitProblems;
    }
}

}  // namespace

int main(int argc, char** argv) {
    return textresgen::cli::RunWithinMemory("textresl10n", [&] { return L10n(argc, argv); });
}
