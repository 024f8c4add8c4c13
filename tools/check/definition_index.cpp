#include "check/definition_index.h"

namespace textrescheck {

namespace {
const WideString kNoName;
}

DefinitionIndex::DefinitionIndex() { groups_.push_back({kRoot, &kNoName, 0}); }

DefinitionIndex::GroupId DefinitionIndex::AddGroup(GroupId parent, WideStringView name, std::size_t line,
                                                   bool& created) {
    const auto found = groupLookup_.find(KeyView{parent, name});
    created = found == groupLookup_.end();
    if (!created) return found->second;
    const auto id = static_cast<GroupId>(groups_.size());
    const auto inserted = groupLookup_.emplace_hint(found, Key{parent, WideString(name)}, id);
    groups_.push_back({parent, &inserted->first.name, line});
    return id;
}

std::size_t DefinitionIndex::AddEntry(GroupId group, WideStringView name, std::size_t line) {
    const auto found = entries_.find(KeyView{group, name});
    if (found == entries_.end()) {
        entries_.emplace_hint(found, Key{group, WideString(name)}, Entry{line, line, 0, 0});
        return 0;
    }
    const std::size_t previous = found->second.lastLine;
    found->second.lastLine = line;
    return previous;
}

std::optional<DefinitionIndex::GroupId> DefinitionIndex::FindGroup(GroupId parent, WideStringView name) const {
    const auto found = groupLookup_.find(KeyView{parent, name});
    if (found == groupLookup_.end()) return std::nullopt;
    return found->second;
}

const DefinitionIndex::Entry* DefinitionIndex::FindEntry(GroupId group, WideStringView name) const {
    const auto found = entries_.find(KeyView{group, name});
    return found == entries_.end() ? nullptr : &found->second;
}

bool DefinitionIndex::HasEntries(GroupId group) const {
    const auto found = entries_.lower_bound(KeyView{group, WideStringView()});
    return found != entries_.end() && found->first.scope == group;
}

bool DefinitionIndex::HasGroupAfter(GroupId parent, WideStringView name) const {
    const auto found = groupLookup_.upper_bound(KeyView{parent, name});
    return found != groupLookup_.end() && found->first.scope == parent;
}

DefinitionIndex::Entry* DefinitionIndex::FindEntry(GroupId group, WideStringView name) {
    const auto found = entries_.find(KeyView{group, name});
    return found == entries_.end() ? nullptr : &found->second;
}

WideString DefinitionIndex::FullName(GroupId group) const {
    std::vector<const WideString*> path;
    for (; group != kRoot; group = groups_[group].parent) path.push_back(groups_[group].name);
    WideString name;
    for (auto segment = path.rbegin(); segment != path.rend(); ++segment) {
        if (segment != path.rbegin()) name += u'.';
        name += **segment;
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
