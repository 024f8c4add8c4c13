// textresl10n: PO and XLIFF files for translators, made from and turned back
// into textresgen definition files. See docs/translators.md.
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

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

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> arguments = textresgen::ProgramArguments(argc, argv);
        return textresl10n::RunL10n(arguments, WriteOut, textresgen::WriteStandardError);
    } catch (const std::bad_alloc&) {
        textresgen::WriteStandardError("textresl10n: out of memory\n");
    } catch (const std::length_error&) {
        textresgen::WriteStandardError("textresl10n: out of memory (a file too large)\n");
    } catch (const StandardOutputFailed&) {
        textresgen::WriteStandardError(
            "textresl10n: standard output: error: cannot be written (a full disk, or a reader that went away)\n");
        return textresl10n::kExitProblems;
    }
    return textresl10n::kExitMemory;
}
