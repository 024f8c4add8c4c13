#pragma once

// The exit statuses of the programs. Each program's help and docs/ say what
// its 0 and 1 mean; 2 and 3 mean the same in every companion program.
namespace textresgen::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitProblems = 1;     // the program's own failure: errors in a file, a file that fails
inline constexpr int kExitUsage = 2;        // the command line is wrong (textrescheck: also a file not readable)
inline constexpr int kExitOutOfMemory = 3;  // memory ran out: one line on standard error (cli/out_of_memory.h)

// textresgen keeps the statuses of the program it stands in for: 0 whatever
// happened to the files (ERR! tells of a file problem), 1 out of memory.
inline constexpr int kGeneratorExitOutOfMemory = 1;

}  // namespace textresgen::cli
