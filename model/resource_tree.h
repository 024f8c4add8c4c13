#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/block_vector.h"
#include "model/unit_arena.h"
#include "text/wide_string.h"

namespace textresgen {

using GroupId = std::uint32_t;

// A group of the dotted names: the structure it becomes in the header. After
// Finish(), its entries and child groups are contiguous ranges, in name order.
struct ResourceNode {
    WideStringView name;         // empty for the root
    GroupId parent = 0;
    std::uint32_t firstValue = 0;
    std::uint32_t valueCount = 0;
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
};

// One named text of a group: a member of type S and its initialiser.
// A text whose units are all below U+0100 (most texts of Western languages)
// is stored one byte per unit: the arena is most of the memory the tree
// takes, and memory is time.
struct ResourceEntry {
    const char16_t* units;       // the name, followed directly by the text
    GroupId group;
    std::uint32_t nameLength;
    std::uint64_t textInfo;      // length << 1 | 1 when stored one byte per unit

    WideStringView Name() const { return {units, nameLength}; }
    std::size_t TextLength() const { return static_cast<std::size_t>(textInfo >> 1); }
    bool TextIsNarrow() const { return (textInfo & 1u) != 0; }
    // The text as stored: units, or bytes (each the low half of a unit).
    WideStringView WideText() const { return {units + nameLength, TextLength()}; }
    const unsigned char* NarrowText() const {
        return reinterpret_cast<const unsigned char*>(units + nameLength);
    }
    // The text as units, whichever way it is stored.
    WideString Text() const {
        if (!TextIsNarrow()) return WideString(WideText());
        return WideString(NarrowText(), NarrowText() + TextLength());
    }
};

// The definitions arranged by their dotted names. Filled through Child and
// Value, then frozen by Finish; the writers only read it afterwards.
//
// Names are ordered by unsigned UTF-16 code units, a prefix before the longer
// name. A later Value for the same full name replaces the earlier text. A name
// may be an entry and a group of the same node at once.
//
// The tree is flat (records in vectors, units in an arena) rather than nodes
// owning nodes: it costs a few dozen bytes per name, and neither building,
// walking nor destroying it recurses, however deep the names nest.
class ResourceTree {
public:
    static constexpr GroupId kRoot = 0;

    ResourceTree();

    // The child group `name` of `parent`, created when absent.
    GroupId Child(GroupId parent, WideStringView name);
    // Sets the text of entry `name` of `group`, replacing an earlier text.
    void Value(GroupId group, WideStringView name, WideStringView text);
    // Sorts every group's entries and children and drops replaced entries.
    void Finish();

    // Read access, valid after Finish().
    const ResourceNode& Group(GroupId id) const { return groups_[id]; }
    const ResourceEntry& ValueAt(const ResourceNode& group, std::uint32_t index) const {
        return entries_[valueOrder_[group.firstValue + index]];
    }
    GroupId ChildAt(const ResourceNode& group, std::uint32_t index) const {
        return childOrder_[group.firstChild + index];
    }
    std::size_t GroupCount() const { return groups_.size(); }
    std::size_t EntryCount() const { return valueOrder_.size(); }

private:
    static std::uint32_t HashName(GroupId parent, WideStringView name);
    GroupId FindOrAddChild(GroupId parent, WideStringView name);
    void AddToLookup(GroupId id, std::uint32_t hash);
    void GrowLookup();

    UnitArena arena_;
    BlockVector<ResourceNode> groups_;
    BlockVector<ResourceEntry> entries_;
    std::vector<std::uint32_t> valueOrder_;  // entry indices, by group then name
    std::vector<GroupId> childOrder_;        // group ids, by parent then name
    // While the tree is built: per group, the child found last (consecutive
    // definition lines mostly share their leading groups, so this answers
    // most lookups with one name comparison) and its children as a list.
    struct BuildLinks {
        GroupId recentChild;   // 0 = none yet
        GroupId newestChild;   // head of the children list, 0 = none
        GroupId olderSibling;  // next in the parent's list, 0 = end
        std::uint32_t childCount;
    };
    static constexpr std::uint32_t kListedChildren = 16;
    BlockVector<BuildLinks> links_;
    // Open-addressing table keyed by parent and name, holding the children of
    // groups with more than kListedChildren of them. The slot keeps the hash
    // so that probing and growing do not visit the groups themselves.
    struct LookupSlot {
        std::uint32_t idPlusOne = 0;  // 0 = empty
        std::uint32_t hash = 0;
    };
    std::vector<LookupSlot> lookup_;
    std::size_t hashed_ = 0;
    bool finished_ = false;
};

}  // namespace textresgen
