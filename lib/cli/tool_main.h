#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/diagnostic.h"
#include "cli/out_of_memory.h"
#include "text/console.h"

// The main of a companion program that takes a fixed number of files: the
// command line read by the conventions, the operands counted, the work run
// within memory (cli/out_of_memory.h).
namespace textresgen::cli {

// `work(operands)` returns the exit status; `wrongCount` is the usage error
// when the operands are not `count` ("expects INPUT and OUTPUT").
template <typename Work>
int RunToolMain(const Tool& tool, int argc, char** argv, std::size_t count, const char* wrongCount, Work&& work) {
    return RunWithinMemory(tool.name, [&] {
        const CommandLine line = ParseProgramArguments(tool, argc, argv);
        if (!line.run) return Finish(line);
        if (line.operands.size() != count) return Finish(UsageError(tool, wrongCount));
        return work(line.operands);
    });
}

// The status of work that stops at its first failure, a `file` and `what`
// went wrong there: printed as "FILE: error: what" on standard error.
template <typename Failure>
int ExitAfter(const std::optional<Failure>& failure) {
    if (!failure) return kExitOk;
    WriteStandardError(FormatDiagnostic({failure->file, 0, failure->what}));
    return kExitProblems;
}

}  // namespace textresgen::cli
