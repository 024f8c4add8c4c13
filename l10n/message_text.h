#pragma once

#include <string>
#include <string_view>

// Keys and texts from untrusted files as they appear in messages.
namespace textresl10n {

// UTF-8 in single quotes; control characters, unpaired surrogates and bytes
// that are not UTF-8 shown as <U+XXXX> or <XX>, so that nothing from a file
// reaches a terminal as a control character; long texts shortened in the
// middle.
std::string Quoted(std::string_view utf8);
std::string Quoted(std::u16string_view units);

}  // namespace textresl10n
