#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "text/arena.h"
#include "text/key_index.h"
#include "text/wide_string.h"

namespace textrescheck {

using textresgen::WideString;
using textresgen::WideStringView;

// The members one definition file declares, nested as the generated
// structure nests them, with the lines that define them. Groups keep a link
// to their parent instead of owning their children, so no operation here
// recurses, however deep a name nests.
class DefinitionIndex {
public:
    using GroupId = std::uint32_t;
    static constexpr GroupId kRoot = 0;

    struct Group {
        GroupId parent;
        WideStringView name;  // held by the index
        std::size_t line;     // where it first appeared
    };
    struct Entry {
        std::size_t firstLine;
        std::size_t lastLine;    // the definition whose text the generator keeps
        // The errors found in the text of lastLine, shown and not shown: a
        // later definition drops that text, and they no longer break anything.
        std::uint32_t textErrorsShown = 0;
        std::uint32_t textErrorsHidden = 0;
    };

    DefinitionIndex();
    DefinitionIndex(DefinitionIndex&&) = default;
    DefinitionIndex& operator=(DefinitionIndex&&) = default;

    // The group `name` inside `parent`, made at `line` when absent; `created`
    // tells which.
    GroupId AddGroup(GroupId parent, WideStringView name, std::size_t line, bool& created);
    // Records a definition of entry `name` of `group` at `line`. Returns the
    // line of the definition it replaces, 0 for a new entry.
    std::size_t AddEntry(GroupId group, WideStringView name, std::size_t line);

    std::optional<GroupId> FindGroup(GroupId parent, WideStringView name) const;
    const Entry* FindEntry(GroupId group, WideStringView name) const;
    Entry* FindEntry(GroupId group, WideStringView name);

    // Whether the group holds an entry; whether it holds a group whose name
    // comes after `name` in the generated order (UTF-16 units).
    bool HasEntries(GroupId group) const;
    bool HasGroupAfter(GroupId parent, WideStringView name) const;

    const Group& GroupAt(GroupId id) const { return groups_[id]; }
    std::size_t GroupCount() const { return groups_.size(); }

    // Calls visit(group, name, entry) for every entry, by group id, then by
    // name (UTF-16 units).
    template <typename Visit>
    void ForEachEntry(Visit visit) const {
        for (const EntryRecord* record : EntriesInOrder()) visit(record->scope, record->name, record->entry);
    }

    // The dotted path of a group ("Menu.Sub"), or of an entry in it.
    WideString FullName(GroupId group) const;
    WideString FullName(GroupId group, WideStringView entry) const;

private:
    // A member's name in its group, the key of both tables.
    struct ScopedName {
        GroupId scope;
        WideStringView name;
        bool operator==(const ScopedName& other) const { return scope == other.scope && name == other.name; }
    };
    // Mixed so that the same name in many groups (each plural message's
    // "one" and "other") does not fill neighbouring slots, which the
    // table's linear probing would walk one by one.
    struct ScopedNameHash {
        std::size_t operator()(const ScopedName& key) const {
            std::uint64_t h = std::hash<WideStringView>()(key.name) ^ (key.scope * 0x9E3779B97F4A7C15ull);
            h ^= h >> 33;
            h *= 0xFF51AFD7ED558CCDull;
            h ^= h >> 33;
            return static_cast<std::size_t>(h);
        }
    };
    struct EntryRecord {
        GroupId scope;
        WideStringView name;
        Entry entry;
    };
    std::vector<const EntryRecord*> EntriesInOrder() const;
    // The key of each table's item i (a group's number is i + 1: the root
    // is not in its table).
    auto GroupKeys() const {
        return [this](std::uint32_t i) { return ScopedName{groups_[i + 1].parent, groups_[i + 1].name}; };
    }
    auto EntryKeys() const {
        return [this](std::uint32_t i) { return ScopedName{entries_[i].scope, entries_[i].name}; };
    }

    // Names once each in one arena, groups and entries found through
    // indexes of 4 bytes a slot: a file of millions of names costs about
    // 60 bytes a name here (a map of strings took twice that).
    textresgen::Arena<char16_t> names_;
    std::vector<Group> groups_;
    std::vector<WideStringView> lastChildGroup_;  // by group: its subgroups' greatest name
    std::vector<bool> hasEntries_;                // by group
    textresgen::KeyIndex<ScopedName, ScopedNameHash> groupLookup_{0};  // group id - 1: the root is not in it
    std::deque<EntryRecord> entries_;  // a deque: Entry pointers stay valid while it grows
    textresgen::KeyIndex<ScopedName, ScopedNameHash> entryLookup_{0};
};

}  // namespace textrescheck
