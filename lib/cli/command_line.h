#pragma once

#include <string>
#include <vector>

namespace textresgen::cli {

// What a companion tool (not the generator itself, whose command line is
// ignored) tells about itself.
struct Tool {
    const char* name;  // as typed, e.g. "textrescheck"
    const char* help;  // the --help text, from "usage:" on; ends with '\n'
    // The options that take the next argument as their value, as typed
    // ("-o", "--lang"), ending with nullptr; none when null.
    const char* const* valueOptions = nullptr;
};

// An option given with its value: {"--lang", "ja"}.
struct OptionValue {
    std::string option;
    std::string value;
};

// The outcome of reading a command line. Either the tool runs on the
// operands, or it stops at once with `status`, after writing `out` to
// standard output and `err` to standard error.
struct CommandLine {
    bool run = false;
    int status = 0;
    std::string out;
    std::string err;
    std::vector<std::string> operands;
    std::vector<OptionValue> values;  // in command-line order
};

// The status of a command line the tool cannot use (unknown option, wrong
// number of operands).
inline constexpr int kExitUsage = 2;

// The project's version, "MAJOR.MINOR.PATCH", from the CMake project.
const char* Version();

// Reads the arguments after the program name. "--help" prints the help and
// exits 0; "--version" prints "NAME VERSION" and exits 0; any other argument
// that starts with '-' (except "-" alone) is an unknown option: one line on
// standard error, then a hint to try --help, status kExitUsage. "--" ends the
// options: every argument after it is an operand, so files named "-x" or
// "--help" can be given. Options are recognised anywhere before "--". An
// option of tool.valueOptions takes the next argument, whatever it is, as
// its value; missing at the end, it is a usage error.
CommandLine ParseCommandLine(const Tool& tool, int argc, const char* const* argv);
// The same for the arguments main() received, read as the user typed them
// (text/program_arguments.h: on Windows from the wide command line).
CommandLine ParseProgramArguments(const Tool& tool, int argc, char** argv);

// A usage error found by the tool itself (say, a missing operand), reported
// like an unknown option.
CommandLine UsageError(const Tool& tool, const std::string& message);

// Writes `out` and `err` of a command line that stops the tool; returns its status.
int Finish(const CommandLine& line);

}  // namespace textresgen::cli
