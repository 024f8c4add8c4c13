#pragma once

#include <optional>
#include <string>

#include "definition/definition_texts.h"
#include "layout/header_members.h"

namespace textresgen {

inline constexpr char kMessagesHeaderName[] = "textresouce_messages.h";

// The ASCII text of textresouce_messages.h for the structure `top` (read
// from textresouce.h) and the base's definition `definition`:
//  - namespace textresgen::msg::<Group>... { inline constexpr <type> <Member>{}; } for each
//    member whose base text is a printf format with directives (a plural
//    message, a group of CLDR categories with `other`, is one constant named
//    after its group: its arguments are those of `other`, its count the last
//    integer one); each type is a struct of textresgen::message_types of
//    the same path, derived from detail::Message;
//  - BaseTextsOf<::TextResource>: every member's index, dotted name,
//    signature and base text for the members whose base text holds a '%'
//    (and every form of a plural message), and all members' names;
//  - struct TextResourceUtf8, TextResource's nesting with `const char*`
//    members, and Utf8Of<::TextResource>.
// Nothing, with `error` set, when the definition does not define a member.
std::optional<std::string> MessagesHeaderText(const HeaderGroup& top, const DefinitionTexts& definition,
                                              std::string& error);

}  // namespace textresgen
