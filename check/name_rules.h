#pragma once

#include <optional>
#include <string>

#include "check/finding.h"
#include "text/wide_string.h"

namespace textrescheck {

enum class MemberRole { Entry, Group };

// One segment of a dotted name, in the place where the generated header
// declares it: an entry becomes "S name;", a group "struct _name { ... } name;".
struct MemberName {
    textresgen::WideStringView name;
    MemberRole role = MemberRole::Entry;
    bool topLevel = true;                        // a member of TextResource itself
    textresgen::WideStringView enclosingGroup;   // the group it belongs to, unless topLevel
    textresgen::WideStringView fullName;         // the dotted name of the line, for the message
};

struct NameProblem {
    Severity severity;
    std::string message;
};

// The most serious problem the name causes in the generated code, if any.
// Errors: the header or source will not compile (not an identifier, a
// keyword, a name the generated code itself uses). Warnings: it compiles
// but is fragile (reserved identifiers, common macros, '$', non-ASCII).
std::optional<NameProblem> CheckMemberName(const MemberName& member);

}  // namespace textrescheck
