#include "cli/command_line.h"

#include <cstring>
#include <optional>

#include "cli/shown_text.h"
#include "text/console.h"
#include "text/program_arguments.h"

#ifndef TEXTRESGEN_VERSION
#error "TEXTRESGEN_VERSION must come from the CMake project version"
#endif

namespace textresgen::cli {
namespace {

constexpr const char* kCommonOptions =
    "  --help      show this help and exit\n"
    "  --version   show the version and exit\n";
constexpr const char* kEndOfOptions =
    "  --          end of options: the later arguments are files, even when starting with '-'\n";

std::string Hint(const Tool& tool) { return std::string("try '") + tool.name + " --help'\n"; }

bool TakesValue(const Tool& tool, const char* argument) {
    if (tool.valueOptions == nullptr) return false;
    for (const char* const* option = tool.valueOptions; *option != nullptr; ++option)
        if (std::strcmp(*option, argument) == 0) return true;
    return false;
}

// What --help and --version print, the one place they are answered; nothing
// for any other argument.
std::optional<CommandLine> AboutItself(const Tool& tool, const char* argument) {
    CommandLine line;
    if (std::strcmp(argument, "--help") == 0)
        line.out = HelpText(tool);
    else if (std::strcmp(argument, "--version") == 0)
        line.out = std::string(tool.name) + " " + Version() + "\n";
    else
        return std::nullopt;
    return line;
}

CommandLine Ignoring(const Tool& tool, int argc, const char* const* argv) {
    for (int i = 0; i < argc; ++i)
        if (auto about = AboutItself(tool, argv[i])) return *about;
    CommandLine line;
    line.run = true;
    return line;
}

}  // namespace

const char* Version() { return TEXTRESGEN_VERSION; }

std::string HelpText(const Tool& tool) {
    return std::string(tool.usage) + "\n" + tool.options + kCommonOptions +
           (tool.ignoresArguments ? "" : kEndOfOptions) + "\n" + tool.notes;
}

CommandLine UsageError(const Tool& tool, const std::string& message) {
    CommandLine line;
    line.status = kExitUsage;
    line.err = std::string(tool.name) + ": " + message + "\n" + Hint(tool);
    return line;
}

CommandLine ParseCommandLine(const Tool& tool, int argc, const char* const* argv) {
    if (tool.ignoresArguments) return Ignoring(tool, argc, argv);
    CommandLine line;
    bool options = true;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        if (!options || argument[0] != '-' || std::strcmp(argument, "-") == 0) {
            line.operands.emplace_back(argument);
        } else if (std::strcmp(argument, "--") == 0) {
            options = false;
        } else if (auto about = AboutItself(tool, argument)) {
            return *about;
        } else if (TakesValue(tool, argument)) {
            if (i + 1 == argc) return UsageError(tool, std::string("the option ") + argument + " needs a value");
            line.values.push_back({argument, argv[++i]});
        } else {
            return UsageError(tool, "unknown option '" + Printable(argument) + "'");
        }
    }
    line.run = true;
    return line;
}

CommandLine ParseProgramArguments(const Tool& tool, int argc, char** argv) {
    const std::vector<std::string> arguments = ProgramArguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    return ParseCommandLine(tool, static_cast<int>(pointers.size()), pointers.data());
}

int Finish(const CommandLine& line) {
    WriteStandardOutput(line.out);
    WriteStandardError(line.err);
    return line.status;
}

}  // namespace textresgen::cli
