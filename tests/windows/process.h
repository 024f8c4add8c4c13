#pragma once

#include <string>

namespace textresgen::testing {

// What a finished program left behind.
struct ProgramRun {
    bool started = false;       // false when the program could not be started
    unsigned long exitCode = 0;
    std::string output;         // standard output, byte for byte
};

// Runs `program` with no arguments in the folder `workingDirectory` and waits
// for it to end. Standard output is captured; standard error is inherited.
ProgramRun RunProgram(const std::wstring& program, const std::wstring& workingDirectory);

}  // namespace textresgen::testing
