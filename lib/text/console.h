#pragma once

#include <string_view>

namespace textresgen {

// Write UTF-8 bytes to standard output or standard error and flush them.
// Redirected to a file or a pipe, the bytes go out unchanged on every
// platform: no text-mode translation, so a line ends in LF on Windows too.
// On a Windows console the text is written as UTF-16 with WriteConsoleW, so
// that it shows as written whatever the console's code page; a byte that is
// not part of well-formed UTF-8 shows as U+FFFD there.
void WriteStandardOutput(std::string_view bytes);
void WriteStandardError(std::string_view bytes);

}  // namespace textresgen
