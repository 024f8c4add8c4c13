// textresl10n: PO and XLIFF files for translators, made from and turned back
// into textresgen definition files. See docs/translators.md.
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "l10n/commands.h"
#include "text/console.h"
#include "text/utf16_writer.h"

int main(int argc, char** argv) {
    try {
        std::vector<std::string> arguments(argv + 1, argv + argc);
        return textresl10n::RunL10n(arguments, textresgen::WriteStandardOutput, [](std::string_view text) {
            std::fwrite(text.data(), 1, text.size(), stderr);
            std::fflush(stderr);
        });
    } catch (const std::bad_alloc&) {
        std::fputs("textresl10n: out of memory\n", stderr);
    } catch (const std::length_error&) {
        std::fputs("textresl10n: out of memory (a file too large)\n", stderr);
    } catch (const textresgen::OutputError&) {
        std::fputs("textresl10n: out of memory\n", stderr);
    }
    return textresl10n::kExitMemory;
}
