// textresgen-layout HEADER OUTPUT_FOLDER [DEFINITION]: stamps a layout.
// Reads the generated UTF-16LE textresouce.h and writes textresouce_layout.h
// (the fingerprint, for the application) and textresouce_layout.cpp (the
// same fingerprint exported by each language library) into OUTPUT_FOLDER;
// with DEFINITION, the base's definition file, also textresouce_messages.h.
// Exit status 0 on success, 1 with a message when a file fails, 2 when the
// command line is wrong, 3 out of memory.
#include <string>
#include <vector>

#include "cli/tool_main.h"
#include "layout/layout_stamp.h"

namespace {

const textresgen::cli::Tool kTool = {
    "textresgen-layout",
    "usage: textresgen-layout HEADER OUTPUT_FOLDER [DEFINITION]\n"
    "\n"
    "Reads HEADER, the UTF-16LE textresouce.h written by textresgen, and writes two\n"
    "ASCII files into OUTPUT_FOLDER, each replaced whole or not at all:\n"
    "  textresouce_layout.h    the fingerprint of the layout, for the application\n"
    "                          (include it beside textresouce.h)\n"
    "  textresouce_layout.cpp  exports TextResGenLayout(), the same fingerprint;\n"
    "                          compile it into each language library\n"
    "The fingerprint depends only on the names and their nesting, not on the texts.\n"
    "With DEFINITION, the base's definition file HEADER was generated from, also:\n"
    "  textresouce_messages.h  typed messages (textresgen::msg), the base's texts\n"
    "                          for the check at load, TextResourceUtf8; included\n"
    "                          by textresouce_layout.h\n",
    "",
    "Exit status: 0 written, 1 HEADER is not a generated header or a file could not\n"
    "be read or written, 2 the command line is wrong, 3 out of memory.\n"};

}  // namespace

int main(int argc, char** argv) {
    namespace cli = textresgen::cli;
    return cli::RunWithinMemory(kTool.name, [&] {
        const cli::CommandLine line = cli::ParseProgramArguments(kTool, argc, argv);
        if (!line.run) return cli::Finish(line);
        const std::vector<std::string>& files = line.operands;
        if (files.size() != 2 && files.size() != 3)
            return cli::Finish(cli::UsageError(kTool, "expects HEADER and OUTPUT_FOLDER"));
        return cli::ExitAfter(textresgen::WriteLayoutFiles(files[0], files[1], files.size() == 3 ? files[2] : ""));
    });
}
