#pragma once

#include <string>
#include <string_view>

namespace textresgen {

// The fixed file names, passed to the file system exactly as written.
inline constexpr const char* kDefinitionFileName = "TextResouce.txt";
inline constexpr const char* kSourceFileName = "textresouce.cpp";
inline constexpr const char* kHeaderFileName = "textresouce.h";

// The program's one message: a file could not be opened, read or written.
inline constexpr std::string_view kFileErrorLine = "ERR!\r\n";

// Runs the whole job in the current directory: reads the definition file,
// writes the source, then the header. On a file problem prints kFileErrorLine
// and stops at once. Returns the exit status: 0 on every such end. Memory
// exhaustion is left to the caller (std::bad_alloc, std::length_error).
int RunGenerator();

// The same pipeline in memory, for tests and fuzzing: definition bytes in,
// the bytes of both generated files out. False when the definition cannot be
// read (a big-endian mark).
struct GeneratedFiles {
    std::string source;
    std::string header;
};
bool GenerateInMemory(std::string_view definition, GeneratedFiles& out);

}  // namespace textresgen
