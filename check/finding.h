#pragma once

#include <cstddef>
#include <string>

namespace textrescheck {

// A note only remarks on other findings and is not counted.
enum class Severity { Note, Warning, Error };

// One diagnostic about a definition file. Messages are UTF-8.
struct Finding {
    std::size_t line = 0;  // 1-based; 0 when it concerns the file as a whole
    Severity severity = Severity::Error;
    std::string message;
    bool aboutText = false;  // a problem of the line's text
};

}  // namespace textrescheck
