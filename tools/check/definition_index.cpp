#include "check/definition_index.h"

#include <algorithm>

namespace textrescheck {

DefinitionIndex::DefinitionIndex() {
    groups_.push_back({kRoot, WideStringView(), 0});
    lastChildGroup_.emplace_back();
    hasEntries_.push_back(false);
}

DefinitionIndex::GroupId DefinitionIndex::AddGroup(GroupId parent, WideStringView name, std::size_t line,
                                                   bool& created) {
    const auto id = static_cast<GroupId>(groups_.size());
    const std::uint32_t found = groupLookup_.InsertGrowing(id - 1, ScopedName{parent, name}, GroupKeys());
    created = found == decltype(groupLookup_)::kNone;
    if (!created) return found + 1;
    // Added to the table before it stands in groups_: the table grows
    // (and asks for keys) only before it inserts.
    groups_.push_back({parent, names_.Keep(name), line});
    lastChildGroup_.emplace_back();
    hasEntries_.push_back(false);
    if (lastChildGroup_[parent].data() == nullptr || lastChildGroup_[parent] < groups_.back().name)
        lastChildGroup_[parent] = groups_.back().name;
    return id;
}

std::size_t DefinitionIndex::AddEntry(GroupId group, WideStringView name, std::size_t line) {
    const auto id = static_cast<std::uint32_t>(entries_.size());
    const std::uint32_t found = entryLookup_.InsertGrowing(id, ScopedName{group, name}, EntryKeys());
    if (found == decltype(entryLookup_)::kNone) {
        entries_.push_back({group, names_.Keep(name), Entry{line, line, 0, 0}});
        hasEntries_[group] = true;
        return 0;
    }
    Entry& entry = entries_[found].entry;
    const std::size_t previous = entry.lastLine;
    entry.lastLine = line;
    return previous;
}

std::optional<DefinitionIndex::GroupId> DefinitionIndex::FindGroup(GroupId parent, WideStringView name) const {
    const std::uint32_t found = groupLookup_.Find(ScopedName{parent, name}, GroupKeys());
    if (found == decltype(groupLookup_)::kNone) return std::nullopt;
    return found + 1;
}

const DefinitionIndex::Entry* DefinitionIndex::FindEntry(GroupId group, WideStringView name) const {
    const std::uint32_t found = entryLookup_.Find(ScopedName{group, name}, EntryKeys());
    return found == decltype(entryLookup_)::kNone ? nullptr : &entries_[found].entry;
}

DefinitionIndex::Entry* DefinitionIndex::FindEntry(GroupId group, WideStringView name) {
    return const_cast<Entry*>(static_cast<const DefinitionIndex&>(*this).FindEntry(group, name));
}

bool DefinitionIndex::HasEntries(GroupId group) const { return hasEntries_[group]; }

bool DefinitionIndex::HasGroupAfter(GroupId parent, WideStringView name) const {
    return lastChildGroup_[parent].data() != nullptr && name < lastChildGroup_[parent];
}

std::vector<const DefinitionIndex::EntryRecord*> DefinitionIndex::EntriesInOrder() const {
    std::vector<const EntryRecord*> order;
    order.reserve(entries_.size());
    for (const EntryRecord& record : entries_) order.push_back(&record);
    std::sort(order.begin(), order.end(), [](const EntryRecord* a, const EntryRecord* b) {
        return a->scope != b->scope ? a->scope < b->scope : a->name < b->name;
    });
    return order;
}

WideString DefinitionIndex::FullName(GroupId group) const {
    std::vector<WideStringView> path;
    for (; group != kRoot; group = groups_[group].parent) path.push_back(groups_[group].name);
    WideString name;
    for (auto segment = path.rbegin(); segment != path.rend(); ++segment) {
        if (segment != path.rbegin()) name += u'.';
        name += *segment;
    }
    return name;
}

WideString DefinitionIndex::FullName(GroupId group, WideStringView entry) const {
    WideString name = FullName(group);
    if (group != kRoot) name += u'.';
    name += entry;
    return name;
}

}  // namespace textrescheck
