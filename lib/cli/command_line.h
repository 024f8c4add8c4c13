#pragma once

#include <string>
#include <vector>

#include "cli/exit_status.h"

namespace textresgen::cli {

// What a program tells about itself. Its --help is `usage`, a blank line,
// `options`, the lines of --help, --version and "--" (written here, the same
// in every program), a blank line and `notes`.
struct Tool {
    const char* name;     // as typed, e.g. "textrescheck"
    const char* usage;    // from "usage:" on, with what the program does; ends with '\n'
    const char* options;  // its own option lines, "" for none
    const char* notes;    // after the options: at least the exit statuses; ends with '\n'
    // The options that take the next argument as their value, as typed
    // ("-o", "--lang"), ending with nullptr; none when null.
    const char* const* valueOptions = nullptr;
    // The generator's way: every argument but --help and --version is
    // ignored, and there is no "--".
    bool ignoresArguments = false;
};

// The --help text of a tool.
std::string HelpText(const Tool& tool);

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

// The project's version, "MAJOR.MINOR.PATCH", from the CMake project.
const char* Version();

// Reads the arguments after the program name. "--help" prints the help and
// exits 0; "--version" prints "NAME VERSION" and exits 0; any other argument
// that starts with '-' (except "-" alone) is an unknown option: one line on
// standard error, then a hint to try --help, status kExitUsage. "--" ends the
// options: every argument after it is an operand, so files named "-x" or
// "--help" can be given. Options are recognised anywhere before "--". An
// option of tool.valueOptions takes the next argument, whatever it is, as
// its value; missing at the end, it is a usage error. With
// tool.ignoresArguments only "--help" and "--version" count, the first of
// them given; everything else is left alone and the tool runs.
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
