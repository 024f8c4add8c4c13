#pragma once

#include <optional>
#include <string>

namespace textresgen {

// What went wrong: the file concerned and why (a message fragment).
struct Utf8FileFailure {
    std::string file;
    std::string what;
};

// Writes `output`, the UTF-8 form of the generated UTF-16LE file `input`
// (Utf16LeToUtf8). `output` is replaced whole through the one replacing sink
// (CreateReplacingFileSink) once the whole input is converted; when reading,
// converting or writing fails it is left as it was.
std::optional<Utf8FileFailure> WriteUtf8File(const std::string& input, const std::string& output);

}  // namespace textresgen
