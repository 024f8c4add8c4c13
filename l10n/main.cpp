// textresl10n: PO and XLIFF files for translators, made from and turned back
// into textresgen definition files. See docs/translators.md.
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "l10n/commands.h"
#include "text/console.h"

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
        std::vector<std::string> arguments(argv + 1, argv + argc);
        return textresl10n::RunL10n(arguments, WriteOut, [](std::string_view text) {
            std::fwrite(text.data(), 1, text.size(), stderr);
            std::fflush(stderr);
        });
    } catch (const std::bad_alloc&) {
        std::fputs("textresl10n: out of memory\n", stderr);
    } catch (const std::length_error&) {
        std::fputs("textresl10n: out of memory (a file too large)\n", stderr);
    } catch (const StandardOutputFailed&) {
        std::fputs("textresl10n: standard output: error: cannot be written (a full disk, or a reader that went away)\n",
                   stderr);
        return textresl10n::kExitProblems;
    }
    return textresl10n::kExitMemory;
}
