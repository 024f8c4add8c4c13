// textresgen: run in a folder holding TextResouce.txt, writes textresouce.cpp
// and textresouce.h. Arguments are ignored, except --help and --version.
#include <csignal>

#include "cli/command_line.h"
#include "cli/out_of_memory.h"
#include "driver/generator.h"

namespace {

const textresgen::cli::Tool kTool = {
    "textresgen",
    "usage: textresgen\n"
    "\n"
    "Reads TextResouce.txt in the current folder and writes textresouce.cpp and\n"
    "textresouce.h beside it, each replaced whole or left as it was. Other\n"
    "arguments are ignored.\n",
    "",
    "Exit status: 0, also when a file cannot be opened, read or written (then the\n"
    "one message ERR! on standard output), 1 out of memory.\n",
    nullptr,
    true};

int Generate(int argc, char** argv) {
    namespace cli = textresgen::cli;
    const cli::CommandLine line = cli::ParseProgramArguments(kTool, argc, argv);
    if (!line.run) return cli::Finish(line);
    return textresgen::RunGenerator();
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // Past a file size limit (ulimit -f) a write then fails with EFBIG, a
    // write error like any other (ERR!, the partial output removed), instead
    // of the signal ending the program with a partial file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    return textresgen::cli::RunWithinMemory("textresgen", [&] { return Generate(argc, argv); },
                                            textresgen::cli::kGeneratorExitOutOfMemory);
}
