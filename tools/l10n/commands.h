#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// textresl10n: the program behind its thin main.
namespace textresl10n {

// Receives UTF-8 text.
using TextSink = std::function<void(std::string_view)>;

// Runs the program with its arguments (argv without the program name) and
// returns its exit status (cli/exit_status.h): 1 when a file has errors, and
// for stats when a unit is untranslated or unreviewed.
int RunL10n(const std::vector<std::string>& arguments, const TextSink& out, const TextSink& err);

}  // namespace textresl10n
