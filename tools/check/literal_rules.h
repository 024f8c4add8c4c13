#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "check/cli_names.h"
#include "text/wide_string.h"

namespace textrescheck {

// MSVC's limit for one string literal before concatenation (error C2026).
// A wide literal counts 2 bytes per UTF-16 unit, its terminator included.
inline constexpr std::size_t kMsvcLiteralLimitBytes = 16380;

// Receives problems as they are found. Take() counts one; only when it
// returns true is the message built and handed to Add(), so that a line with
// millions of problems costs no more memory than one with a few.
class ProblemSink {
public:
    virtual bool Take(Severity severity) = 0;
    virtual void Add(Severity severity, std::string message) = 0;

protected:
    ~ProblemSink() = default;
};

// Problems of `text` as the body of the literal L"text" that the generated
// source assigns, copied there unescaped. `name` is the entry's dotted name,
// for the messages. Positions are counted in characters (code points) of
// the text, from 1. In file order, the length check last. Time linear in the
// length of the text; memory independent of it.
void CheckLiteralText(textresgen::WideStringView text, textresgen::WideStringView name, ProblemSink& sink);
// The same, every problem built and returned (line 0).
std::vector<Diagnostic> CheckLiteralText(textresgen::WideStringView text, textresgen::WideStringView name);

}  // namespace textrescheck
