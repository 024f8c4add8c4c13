#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace textresgen::test {

// How to run a program for an end-to-end test.
struct RunOptions {
    std::vector<std::string> arguments;
    std::filesystem::path workingDirectory;
    // Extra or replaced environment variables.
    std::vector<std::pair<std::string, std::string>> environment;
    // Limits of the child process in bytes, 0 for none. Only where
    // CanLimitResources() says so.
    unsigned long long stackLimit = 0;
    unsigned long long addressSpaceLimit = 0;
    // Files larger than this cannot be written (ulimit -f). The signal
    // SIGXFSZ keeps its default action, which ends a program that writes past
    // the limit unless the program ignores it.
    unsigned long long fileSizeLimit = 0;
    // When the tests run with full rights (root), run the program as an
    // unprivileged user instead, so that file permissions apply to it.
    bool dropPrivileges = false;
    // (POSIX) Standard output goes to this file instead of being captured,
    // e.g. /dev/full, where every write fails.
    std::filesystem::path standardOutput;
    // (POSIX) Sends `signal` to the program once it has run this long, if it
    // has not ended by then; 0 for none.
    int signal = 0;
    unsigned signalAfterMs = 0;
    // (POSIX) Ends the program with SIGKILL once it has run this long, and
    // sets RunResult::timedOut; 0 for no limit.
    unsigned timeoutMs = 0;
};

struct RunResult {
    bool started = false;   // false: setting up or starting the program failed
    std::string setupError; // what failed when !started
    bool exited = false;    // ended by returning from main or exit, not by a crash
    int exitStatus = -1;
    std::string out;        // standard output, bytes as written
    std::string err;        // standard error
    bool timedOut = false;  // ended by RunOptions::timeoutMs
};

// Runs `program` with the given arguments and waits for it to end.
RunResult RunProgram(const std::filesystem::path& program, const RunOptions& options);

// Whether the limits and dropPrivileges of RunOptions work here.
bool CanLimitResources();

// Whether addressSpaceLimit works here: not without CanLimitResources(), nor
// under the address sanitizer, which reserves more address space than any
// limit allows. False with the reason in `why`.
bool CanLimitAddressSpace(std::string& why);

}  // namespace textresgen::test
