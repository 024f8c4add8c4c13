#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "check/cli_names.h"
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

// What is wrong with a name, found without building any text.
struct NameVerdict {
    enum class Reason {
        Empty, Blank, LeadingDigit, AsciiCharacter, Surrogate, Replacement, FormatCharacter, NotStart,
        NotIdentifierCharacter, NewerCharacter, StrayBackslash, UcnNoCharacter, UcnBasic,
        Keyword, Cxx20Keyword, GnuKeyword, CompilerWord, MsvcWord, WindowsMacro,
        HidesTypeS, IncludeGuard, SameAsEnclosing,
        Reserved, ReservedGroupType, CommonMacro, Dollar, Blanks,
    };
    Severity severity;
    Reason reason;
    char32_t character = 0;  // the character concerned, where there is one
};

// The most serious problem the name causes in the generated code, if any.
// Errors: the header or source will not compile with some supported
// compiler or mode (not an identifier, a keyword, a name the generated code
// itself uses). Warnings: it compiles but is fragile (reserved identifiers,
// common macros, '$'). A group named S below the top level is judged by the
// file check, which knows what else its structure holds.
std::optional<NameVerdict> JudgeMemberName(const MemberName& member);
// The message for a verdict of JudgeMemberName on the same member.
std::string DescribeNameProblem(const MemberName& member, const NameVerdict& verdict);
// Both at once (line 0).
std::optional<Diagnostic> CheckMemberName(const MemberName& member);

// The identifier a name spells for the compiler: the blanks around it
// dropped, universal character names (\u00E9, \U000000E9) replaced by their
// characters, so that two spellings of one identifier compare equal.
textresgen::WideString IdentifierOf(textresgen::WideStringView name);

}  // namespace textrescheck
