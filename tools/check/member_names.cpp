#include "check/member_names.h"

#include <string>

#include "check/cli_names.h"
#include "definition/definition_line.h"
#include "definition/generated_names.h"

namespace textrescheck {

namespace names = textresgen::names;
namespace {

// Clang's default limit of bracket nesting (-fbracket-depth); TextResource
// itself is one level, so this many groups nested in it are one too many.
constexpr std::size_t kClangBracketDepth = 256;

std::string TwoMembers(WideStringView member) {
    return ": the header declares two members named " + Quoted(member) + " and will not compile";
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }

}  // namespace

MemberNameChecker::Declared MemberNameChecker::Declare(WideStringView name) {
    GroupId group = DefinitionIndex::kRoot;
    std::size_t depth = 0;
    const WideStringView entryName = textresgen::WalkDottedName(name, [&](WideStringView segment, std::size_t end) {
        bool created = false;
        const GroupId child = index_.AddGroup(group, segment, findings_.Line(), created);
        ++depth;
        if (created) DeclareGroup(group, child, segment, name.substr(0, end), depth, name);
        group = child;
    });
    DefinitionIndex::Entry* known = index_.FindEntry(group, entryName);
    if (known && known->textErrorsShown + known->textErrorsHidden > 0) findings_.DropTextErrors(*known);
    DeclareEntry(group, entryName, name);
    return {group, entryName, index_.FindEntry(group, entryName)};
}

void MemberNameChecker::DeclareGroup(GroupId parent, GroupId child, WideStringView segment, WideStringView upToIt,
                                     std::size_t depth, WideStringView name) {
    CheckName(segment, MemberRole::Group, parent, name);
    if (const DefinitionIndex::Entry* entry = index_.FindEntry(parent, segment)) {
        Report(Severity::Error, [&] {
            return "group " + Quoted(upToIt) + " clashes with the entry of line " + std::to_string(entry->firstLine) +
                   TwoMembers(segment);
        });
    }
    CheckOtherSpelling(parent, segment, MemberRole::Group, upToIt);
    CheckGroupS(parent, child, segment);
    if (depth == kClangBracketDepth) {
        Report(Severity::Error, [&] {
            return "group " + Quoted(upToIt) + " is nested " + std::to_string(kClangBracketDepth) +
                   " groups deep: with TextResource around it the header nests its braces one level "
                   "deeper than the " + std::to_string(kClangBracketDepth) +
                   " that Clang allows (-fbracket-depth): Clang rejects the header";
        });
    }
}

void MemberNameChecker::DeclareEntry(GroupId group, WideStringView entryName, WideStringView name) {
    const std::size_t previous = index_.AddEntry(group, entryName, findings_.Line());
    if (previous != 0) {
        Report(Severity::Warning, [&] {
            const std::string earlier = std::to_string(previous);
            return Quoted(name) + " repeats the name of line " + earlier +
                   ": the generator keeps this later text and drops the text of line " + earlier;
        });
        return;
    }
    CheckName(entryName, MemberRole::Entry, group, name);
    if (const auto clash = index_.FindGroup(group, entryName)) {
        Report(Severity::Error, [&] {
            return "entry " + Quoted(name) + " clashes with the group of line " +
                   std::to_string(index_.GroupAt(*clash).line) + TwoMembers(entryName);
        });
    }
    CheckOtherSpelling(group, entryName, MemberRole::Entry, name);
    CheckEntryAfterS(group);
}

void MemberNameChecker::CheckName(WideStringView segment, MemberRole role, GroupId group, WideStringView fullName) {
    MemberName member;
    member.name = segment;
    member.role = role;
    member.topLevel = group == DefinitionIndex::kRoot;
    member.enclosingGroup = index_.GroupAt(group).name;
    member.fullName = fullName;
    if (const auto verdict = JudgeMemberName(member))
        Report(verdict->severity, [&] { return DescribeNameProblem(member, *verdict); });
}

// Two spellings of one identifier ("caf\\u00E9" and "café", "Title " and
// "Title"): different names to the generator, so two members, but one
// name to the compiler.
void MemberNameChecker::CheckOtherSpelling(GroupId group, WideStringView segment, MemberRole role,
                                           WideStringView fullName) {
    const bool respelled = segment.find(u'\\') != WideStringView::npos ||
                           (!segment.empty() && (IsBlank(segment.front()) || IsBlank(segment.back())));
    if (!respelled && spellings_.empty()) return;
    WideString identifier = IdentifierOf(segment);
    if (respelled && identifier == segment) return;
    const auto found = spellings_.find({group, identifier});
    std::size_t otherLine = 0;
    WideString other;
    if (found != spellings_.end() && found->second.spelling != segment) {
        otherLine = found->second.line;
        other = found->second.spelling;
    } else if (respelled) {
        if (const DefinitionIndex::Entry* entry = index_.FindEntry(group, identifier)) {
            otherLine = entry->firstLine;
            other = identifier;
        } else if (const auto clash = index_.FindGroup(group, identifier)) {
            otherLine = index_.GroupAt(*clash).line;
            other = identifier;
        }
    }
    if (respelled && found == spellings_.end())
        spellings_.emplace(Spelled{group, std::move(identifier)}, Spelling{WideString(segment), findings_.Line()});
    if (otherLine == 0) return;
    Report(Severity::Error, [&] {
        return std::string(role == MemberRole::Group ? "group " : "entry ") + Quoted(fullName) +
               " spells the identifier of " + Quoted(other) + " (line " + std::to_string(otherLine) +
               ") another way (blanks around it, universal character names)" + TwoMembers(segment);
    });
}

// A group S below the top level declares a member S in its enclosing
// structure: GCC rejects the structure when an entry of it has used the
// type S before (entries come first), and both compilers reject a group
// declared after it (in name order) whose members use S.
void MemberNameChecker::CheckGroupS(GroupId parent, GroupId child, WideStringView segment) {
    if (parent == DefinitionIndex::kRoot) return;
    if (segment == names::kMemberType) {
        groupS_.emplace(parent, GroupSState{child, findings_.Line(), false});
        if (index_.HasEntries(parent)) {
            ReportGroupS(parent, "an entry of it uses the type S before (GCC rejects the header)");
        } else if (index_.HasGroupAfter(parent, names::kMemberType)) {
            ReportGroupS(parent, "a group after it uses the name S as the type (the header will not compile)");
        }
    } else if (segment > names::kMemberType) {
        ReportGroupS(parent, "a group after it uses the name S as the type (the header will not compile)");
    }
}

void MemberNameChecker::CheckEntryAfterS(GroupId group) {
    if (group != DefinitionIndex::kRoot)
        ReportGroupS(group, "an entry of it uses the type S before (GCC rejects the header)");
}

// Reports, once per structure, that its group S breaks it.
void MemberNameChecker::ReportGroupS(GroupId parent, const char* why) {
    const auto found = groupS_.find(parent);
    if (found == groupS_.end() || found->second.reported) return;
    found->second.reported = true;
    Report(Severity::Error, [&] {
        return "group " + Quoted(index_.FullName(found->second.group)) + " (line " +
               std::to_string(found->second.line) + ") declares a member S in " + Quoted(index_.FullName(parent)) +
               ", where " + why + ": S then no longer names the type there; rename the group";
    });
}

}  // namespace textrescheck
