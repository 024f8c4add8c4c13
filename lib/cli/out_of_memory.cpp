#include "cli/out_of_memory.h"

#include <cstdio>

namespace textresgen::cli {

int ReportOutOfMemory(const char* program, bool pastLimits, int status) {
    // Through stdio, which needs no memory for it: a string built here could
    // fail as the program's own did.
    std::fflush(stdout);
    std::fputs(program, stderr);
    std::fputs(pastLimits ? ": out of memory (definition too large)\n" : ": out of memory\n", stderr);
    std::fflush(stderr);
    return status;
}

}  // namespace textresgen::cli
