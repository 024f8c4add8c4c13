#include "cli/command_line.h"

#include <cstring>

#include "cli/shown_text.h"
#include "text/console.h"
#include "text/program_arguments.h"

#ifndef TEXTRESGEN_VERSION
#error "TEXTRESGEN_VERSION must come from the CMake project version"
#endif

namespace textresgen::cli {
namespace {

std::string Hint(const Tool& tool) { return std::string("try '") + tool.name + " --help'\n"; }

bool TakesValue(const Tool& tool, const char* argument) {
    if (tool.valueOptions == nullptr) return false;
    for (const char* const* option = tool.valueOptions; *option != nullptr; ++option)
        if (std::strcmp(*option, argument) == 0) return true;
    return false;
}

}  // namespace

const char* Version() { return TEXTRESGEN_VERSION; }

CommandLine UsageError(const Tool& tool, const std::string& message) {
    CommandLine line;
    line.status = kExitUsage;
    line.err = std::string(tool.name) + ": " + message + "\n" + Hint(tool);
    return line;
}

CommandLine ParseCommandLine(const Tool& tool, int argc, const char* const* argv) {
    CommandLine line;
    bool options = true;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        if (!options || argument[0] != '-' || std::strcmp(argument, "-") == 0) {
            line.operands.emplace_back(argument);
        } else if (std::strcmp(argument, "--") == 0) {
            options = false;
        } else if (std::strcmp(argument, "--help") == 0) {
            CommandLine help;
            help.out = tool.help;
            return help;
        } else if (std::strcmp(argument, "--version") == 0) {
            CommandLine version;
            version.out = std::string(tool.name) + " " + Version() + "\n";
            return version;
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
