#include "cli/command_line.h"

#include <cstdio>
#include <cstring>

#include "charclass/character_classes.h"

#ifndef TEXTRESGEN_VERSION
#error "TEXTRESGEN_VERSION must come from the CMake project version"
#endif

namespace textresgen::cli {
namespace {

void AppendHex(std::string& out, unsigned value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

// Length of the well-formed UTF-8 sequence at `s[at]` and its code point,
// or 0 when the bytes there are not one.
std::size_t DecodeUtf8(const std::string& s, std::size_t at, unsigned& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned lead = byte(at);
    std::size_t length;
    unsigned low = 0x80, high = 0xBF;  // bounds of the second byte
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned next = byte(at + i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    return length;
}

std::string Hint(const Tool& tool) { return std::string("try '") + tool.name + " --help'\n"; }

bool TakesValue(const Tool& tool, const char* argument) {
    if (tool.valueOptions == nullptr) return false;
    for (const char* const* option = tool.valueOptions; *option != nullptr; ++option)
        if (std::strcmp(*option, argument) == 0) return true;
    return false;
}

}  // namespace

const char* Version() { return TEXTRESGEN_VERSION; }

std::string Printable(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        unsigned code = 0;
        const std::size_t length = DecodeUtf8(text, at, code);
        if (length == 0) {
            out += '<';
            AppendHex(out, static_cast<unsigned char>(text[at]), 2);
            out += '>';
            ++at;
        } else if (charclass::IsUnprintable(code)) {
            out += "<U+";
            AppendHex(out, code, code > 0xFFFFF ? 6 : code > 0xFFFF ? 5 : 4);
            out += '>';
            at += length;
        } else {
            out.append(text, at, length);
            at += length;
        }
    }
    return out;
}

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
