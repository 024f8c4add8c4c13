#pragma once

#include <cstddef>
#include <map>

#include "check/definition_index.h"
#include "check/line_findings.h"
#include "check/name_rules.h"

namespace textrescheck {

// The dotted names of a file's definitions, declared in the index line by
// line and judged as the generated header will declare them: each new
// member's own name (JudgeMemberName), and what it does to the members
// declared before it (clashes of entry and group, two spellings of one
// identifier, a nested group S, nesting too deep, a repeated entry).
class MemberNameChecker {
public:
    MemberNameChecker(DefinitionIndex& index, LineFindings& findings) : index_(index), findings_(findings) {}

    struct Declared {
        DefinitionIndex::GroupId group;
        WideStringView name;            // the entry's own name within it
        DefinitionIndex::Entry* entry;  // in the index
    };
    // Declares the groups and the entry of the definition of `name` on the
    // current line.
    Declared Declare(WideStringView name);

private:
    using GroupId = DefinitionIndex::GroupId;

    void DeclareGroup(GroupId parent, GroupId child, WideStringView segment, WideStringView upToIt,
                      std::size_t depth, WideStringView name);
    void DeclareEntry(GroupId group, WideStringView entryName, WideStringView name);
    void CheckName(WideStringView segment, MemberRole role, GroupId group, WideStringView fullName);
    void CheckOtherSpelling(GroupId group, WideStringView segment, MemberRole role, WideStringView fullName);
    void CheckGroupS(GroupId parent, GroupId child, WideStringView segment);
    void CheckEntryAfterS(GroupId group);
    void ReportGroupS(GroupId parent, const char* why);

    template <typename Message>
    void Report(Severity severity, Message message) {
        findings_.Report(severity, Diagnostic::Subject::Name, message);
    }

    struct Spelled {
        GroupId group;
        WideString identifier;
        bool operator<(const Spelled& other) const {
            return group != other.group ? group < other.group : identifier < other.identifier;
        }
    };
    struct Spelling {
        WideString spelling;
        std::size_t line;
    };
    struct GroupSState {
        GroupId group;
        std::size_t line;
        bool reported;
    };

    DefinitionIndex& index_;
    LineFindings& findings_;
    // Names spelled with universal character names, by the identifier they spell.
    std::map<Spelled, Spelling> spellings_;
    // Nested structures that hold a group S, by that structure.
    std::map<GroupId, GroupSState> groupS_;
};

}  // namespace textrescheck
