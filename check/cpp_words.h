#pragma once

#include <string_view>

namespace textrescheck {

// True for the keywords of C++20, the alternative tokens (and, or, not, ...)
// included: none of them can name a member.
bool IsCppKeyword(std::string_view name);

// An object-like macro that common headers define. Such a name, used as a
// member, is replaced by the preprocessor wherever that header is included
// before the generated one.
struct CommonMacro {
    std::string_view name;
    std::string_view header;     // where it comes from, e.g. "<windows.h>"
    std::string_view expansion;  // what it becomes, for the message
    bool renames;                // it becomes another identifier (A/W names)
};

// The macro of that exact name, or null. Function-like macros (min, max,
// assert) are left out on purpose: a member name is never followed by "(",
// so they do not expand in the generated code.
const CommonMacro* FindCommonMacro(std::string_view name);

}  // namespace textrescheck
