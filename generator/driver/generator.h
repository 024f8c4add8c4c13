#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "text/byte_stream.h"

namespace textresgen {

// The program's one message: a file could not be opened, read or written.
inline constexpr std::string_view kFileErrorLine = "ERR!\r\n";

// Opens a generated file for writing; null when it cannot be opened.
using OpenOutput = std::function<std::unique_ptr<ByteSink>()>;

// The whole job: reads the definitions from `input` (null: it could not be
// opened), then opens and writes the source, then opens and writes the
// header, then commits the source and the header (ByteSink::Commit). The
// input stays open until both are written. False at the first file problem,
// which ends the job at once; an output whose writing failed is discarded,
// and a source written in full is still committed, so a generated file is
// complete or as it was. Memory exhaustion is left to the caller
// (std::bad_alloc, std::length_error), with neither output committed.
bool Generate(std::unique_ptr<ByteSource> input, const OpenOutput& openSource, const OpenOutput& openHeader);

// Generate in the current folder: TextResouce.txt in, textresouce.cpp and
// textresouce.h out. On a file problem prints kFileErrorLine. Returns the
// exit status: 0 on every such end.
int RunGenerator();

// Generate in memory, for tests and fuzzing: definition bytes in, the bytes
// of both generated files out. False when the definition cannot be read (a
// big-endian mark).
struct GeneratedFiles {
    std::string source;
    std::string header;
};
bool GenerateInMemory(std::string_view definition, GeneratedFiles& out);

}  // namespace textresgen
