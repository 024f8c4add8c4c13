#include "cli/command_line.h"

#include <cstdio>
#include <cstring>

#include "cli/shown_text.h"

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

int Finish(const CommandLine& line) {
    std::fwrite(line.out.data(), 1, line.out.size(), stdout);
    std::fflush(stdout);
    std::fwrite(line.err.data(), 1, line.err.size(), stderr);
    return line.status;
}

}  // namespace textresgen::cli
