// textresgen: run in a folder holding TextResouce.txt, writes textresouce.cpp
// and textresouce.h. Every argument is ignored, --help and --version too:
// build scripts run it with none, and any argument must not change what it
// writes.
#include <csignal>

#include "cli/out_of_memory.h"
#include "driver/generator.h"

int main() {
#ifdef SIGXFSZ
    // Past a file size limit (ulimit -f) a write then fails with EFBIG, a
    // write error like any other (ERR!, the partial output removed), instead
    // of the signal ending the program with a partial file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    return textresgen::cli::RunWithinMemory("textresgen", [] { return textresgen::RunGenerator(); },
                                            textresgen::cli::kGeneratorExitOutOfMemory);
}
