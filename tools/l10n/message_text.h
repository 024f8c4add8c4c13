#pragma once

#include <string>
#include <string_view>

// Keys and texts from untrusted files as they appear in messages.
namespace textresl10n {

// UTF-8 in single quotes, each character as cli::AppendShown shows it and
// each byte that is not UTF-8 as <XX>, so that nothing from a file reaches a
// terminal raw; long texts shortened in the middle.
std::string Quoted(std::string_view utf8);
std::string Quoted(std::u16string_view units);

}  // namespace textresl10n
