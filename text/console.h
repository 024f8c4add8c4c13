#pragma once

#include <string_view>

namespace textresgen {

// Writes the bytes to standard output unchanged on every platform (no text
// mode translation of line ends) and flushes them.
void WriteStandardOutput(std::string_view bytes);

}  // namespace textresgen
