// textresgen-layout HEADER OUTPUT_FOLDER: stamps a layout. Reads the
// generated UTF-16LE textresouce.h and writes textresouce_layout.h (the
// fingerprint, for the application) and textresouce_layout.cpp (the same
// fingerprint exported by each language library) into OUTPUT_FOLDER.
// Exit status 0 on success, 1 with a message when a file fails, 2 when the
// command line is wrong, 3 out of memory.
#include <string>

#include "cli/command_line.h"
#include "cli/diagnostic.h"
#include "cli/out_of_memory.h"
#include "layout/layout_stamp.h"
#include "text/console.h"

namespace {

const textresgen::cli::Tool kTool = {
    "textresgen-layout",
    "usage: textresgen-layout HEADER OUTPUT_FOLDER\n"
    "\n"
    "Reads HEADER, the UTF-16LE textresouce.h written by textresgen, and writes two\n"
    "ASCII files into OUTPUT_FOLDER, each replaced whole or not at all:\n"
    "  textresouce_layout.h    the fingerprint of the layout, for the application\n"
    "                          (include it beside textresouce.h)\n"
    "  textresouce_layout.cpp  exports TextResGenLayout(), the same fingerprint;\n"
    "                          compile it into each language library\n"
    "The fingerprint depends only on the names and their nesting, not on the texts.\n",
    "",
    "Exit status: 0 written, 1 HEADER is not a generated header or a file could not\n"
    "be read or written, 2 the command line is wrong, 3 out of memory.\n"};

int Stamp(int argc, char** argv) {
    namespace cli = textresgen::cli;
    const cli::CommandLine line = cli::ParseProgramArguments(kTool, argc, argv);
    if (!line.run) return cli::Finish(line);
    if (line.operands.size() != 2)
        return cli::Finish(cli::UsageError(kTool, "expects HEADER and OUTPUT_FOLDER"));
    const auto failure = textresgen::WriteLayoutFiles(line.operands[0], line.operands[1]);
    if (!failure) return cli::kExitOk;
    textresgen::WriteStandardError(cli::FormatDiagnostic({failure->file, 0, failure->what}));
    return cli::kExitProblems;
}

}  // namespace

int main(int argc, char** argv) {
    return textresgen::cli::RunWithinMemory("textresgen-layout", [&] { return Stamp(argc, argv); });
}
