#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// textresl10n: the program behind its thin main.
namespace textresl10n {

inline constexpr int kExitOk = 0;
inline constexpr int kExitProblems = 1;  // a file has errors; stats: untranslated or unreviewed units
inline constexpr int kExitUsage = 2;     // the command line is wrong
inline constexpr int kExitMemory = 3;    // out of memory

// Receives UTF-8 text.
using TextSink = std::function<void(std::string_view)>;

// Runs the program with its arguments (argv without the program name).
int RunL10n(const std::vector<std::string>& arguments, const TextSink& out, const TextSink& err);

}  // namespace textresl10n
