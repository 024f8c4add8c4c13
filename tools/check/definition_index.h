#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

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
        const WideString* name;  // owned by the index
        std::size_t line;        // where it first appeared
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

    // Calls visit(group, name, entry) for every entry.
    template <typename Visit>
    void ForEachEntry(Visit visit) const {
        for (const auto& [key, entry] : entries_) visit(key.scope, WideStringView(key.name), entry);
    }

    // The dotted path of a group ("Menu.Sub"), or of an entry in it.
    WideString FullName(GroupId group) const;
    WideString FullName(GroupId group, WideStringView entry) const;

private:
    struct Key {
        GroupId scope;
        WideString name;
    };
    struct KeyView {
        GroupId scope;
        WideStringView name;
    };
    struct KeyLess {
        using is_transparent = void;
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const {
            if (a.scope != b.scope) return a.scope < b.scope;
            return WideStringView(a.name) < WideStringView(b.name);
        }
    };

    std::vector<Group> groups_;
    std::map<Key, GroupId, KeyLess> groupLookup_;
    std::map<Key, Entry, KeyLess> entries_;
};

}  // namespace textrescheck
