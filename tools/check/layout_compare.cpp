#include "check/layout_compare.h"

#include <algorithm>
#include <optional>
#include <string>

#include "check/cli_names.h"
#include "check/plural_groups.h"

namespace textrescheck {
namespace {

using GroupId = DefinitionIndex::GroupId;

constexpr const char* kMembersMove =
    ": the members after it move, so an application built with another language's header reads wrong texts "
    "from this one";

// The groups of an index that are plural messages with `other`: the build
// completes each to all six categories, so a category one language lacks
// and another has moves no member.
std::vector<bool> CompletedPluralGroups(const DefinitionIndex& index) {
    std::vector<bool> completed(index.GroupCount(), false);
    for (const PluralGroup& plural : FindPluralGroups(index))
        if (plural.isMessage) completed[plural.group] = true;
    return completed;
}

// Calls found(isGroup, group, name) for every group and entry of `from`
// that `in` lacks, skipping what lies inside a group already reported, and
// the categories of a plural message that both complete.
// Groups are visited in creation order, so a parent comes before its child.
template <typename Found>
void ForEachAbsent(const DefinitionIndex& from, const DefinitionIndex& in, Found found) {
    const std::vector<bool> fromCompleted = CompletedPluralGroups(from);
    const std::vector<bool> inCompleted = CompletedPluralGroups(in);
    std::vector<std::optional<GroupId>> match(from.GroupCount());
    match[DefinitionIndex::kRoot] = DefinitionIndex::kRoot;
    for (GroupId id = 1; id < from.GroupCount(); ++id) {
        const DefinitionIndex::Group& group = from.GroupAt(id);
        const std::optional<GroupId> parent = match[group.parent];
        if (!parent) continue;
        match[id] = in.FindGroup(*parent, group.name);
        if (!match[id]) found(true, id, WideStringView());
    }
    from.ForEachEntry([&](GroupId group, WideStringView name, const DefinitionIndex::Entry&) {
        if (!match[group] || in.FindEntry(*match[group], name)) return;
        if (fromCompleted[group] && inCompleted[*match[group]] && IsCategoryName(name)) return;
        found(false, group, name);
    });
}

std::size_t LineOf(const DefinitionIndex& index, bool isGroup, GroupId group, WideStringView name) {
    return isGroup ? index.GroupAt(group).line : index.FindEntry(group, name)->firstLine;
}

std::string Describe(const DefinitionIndex& index, bool isGroup, GroupId group, WideStringView name) {
    return isGroup ? "group " + Quoted(index.FullName(group)) : "entry " + Quoted(index.FullName(group, name));
}

}  // namespace

std::vector<Diagnostic> CompareLayouts(const DefinitionIndex& reference, std::string_view referencePath,
                                    const DefinitionIndex& other) {
    const std::string path(referencePath);

    // Missing names, in the order of the reference file.
    std::vector<std::pair<std::size_t, Diagnostic>> missing;
    ForEachAbsent(reference, other, [&](bool isGroup, GroupId group, WideStringView name) {
        const std::size_t line = LineOf(reference, isGroup, group, name);
        const std::string what = Describe(reference, isGroup, group, name);
        missing.push_back({line, {0,
                                  what + (isGroup ? " is missing with all its entries (" : " is missing (") + path +
                                      ":" + std::to_string(line) + ")" + kMembersMove}});
    });
    std::stable_sort(missing.begin(), missing.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    std::vector<Diagnostic> findings;
    ForEachAbsent(other, reference, [&](bool isGroup, GroupId group, WideStringView name) {
        findings.push_back({LineOf(other, isGroup, group, name),
                            Describe(other, isGroup, group, name) + " is not in " + path + kMembersMove});
    });
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    for (auto& [line, finding] : missing) findings.push_back(std::move(finding));
    return findings;
}

}  // namespace textrescheck
