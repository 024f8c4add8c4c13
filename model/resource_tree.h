#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/block_vector.h"
#include "model/prefetch.h"
#include "model/unit_arena.h"
#include "text/wide_string.h"

namespace textresgen {

using GroupId = std::uint32_t;

// A group of the dotted names: the structure it becomes in the header. After
// Finish(), its entries and child groups are contiguous ranges, in name order.
// (While the tree is built, the four numbers hold the tree's own
// bookkeeping.)
//
// 32 bytes, so that a record read at random is one cache line, not two.
struct ResourceNode {
    const char16_t* nameUnits = nullptr;  // the root's name is empty
    std::uint32_t nameLength = 0;
    GroupId parent = 0;
    std::uint32_t firstValue = 0;
    std::uint32_t valueCount = 0;
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;

    WideStringView Name() const { return {nameUnits, nameLength}; }
};
static_assert(sizeof(ResourceNode) == 32);

// One named text of a group: a member of type S and its initialiser.
// A text whose units are all below U+0100 (most texts of Western languages)
// is stored one byte per unit: the arena is most of the memory the tree
// takes, and memory is time.
//
// 16 bytes, four to a cache line (its group is kept apart, needed only until
// Finish).
struct ResourceEntry {
    const char16_t* units;       // the name, followed directly by the text
    std::uint32_t nameLength;
    std::uint32_t textInfo;      // length << 1 | 1 when stored one byte per unit

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
static_assert(sizeof(ResourceEntry) == 16);

// The definitions arranged by their dotted names. Filled through Child and
// Value, then frozen by Finish; the writers only read it afterwards.
//
// Names are ordered by unsigned UTF-16 code units, a prefix before the longer
// name. A later Value for the same full name replaces the earlier text. A name
// may be an entry and a group of the same node at once. Group ids returned by
// Child stay valid after Finish.
//
// The tree is flat (records in blocks, units in an arena) rather than nodes
// owning nodes: it costs a few dozen bytes per name, and neither building,
// walking nor destroying it recurses, however deep the names nest. Records
// stay where reading put them, in file order; Finish lays out each group's
// entries and children in name order in arrays of indices, level by level,
// and the read accessors ask for records and names a few places ahead in
// them, so that a shuffled file is written without waiting on one cache miss
// after another.
class ResourceTree {
public:
    static constexpr GroupId kRoot = 0;

    ResourceTree();

    // The child group `name` of `parent`, created when absent.
    GroupId Child(GroupId parent, WideStringView name);
    // Sets the text of entry `name` of `group`, replacing an earlier text.
    void Value(GroupId group, WideStringView name, WideStringView text);
    // One definition: the groups of `dottedName` before its last "." (each as
    // Child finds or creates it), and in the last of them the entry after it
    // (as Value sets it). Definitions are taken in small batches whose
    // lookups overlap in memory; Child, Value and Finish complete a batch
    // first.
    void Define(WideStringView dottedName, WideStringView text);
    // Sorts every group's entries and children and drops replaced entries.
    void Finish();

    // Read access, valid after Finish(). The writers visit groups depth
    // first, each group's entries then its children in name order. The index
    // arrays hold the groups level by level, so what a depth-first walk reads
    // next at each level lies a little further on in them, and these
    // accessors prefetch along them.
    const ResourceNode& Group(GroupId id) const { return groups_[id]; }
    const ResourceEntry& ValueAt(const ResourceNode& group, std::uint32_t index) const {
        const std::size_t position = group.firstValue + index;
        PrefetchEntries(position);
        return entries_[valueOrder_[position]];
    }
    GroupId ChildAt(const ResourceNode& group, std::uint32_t index) const {
        const std::size_t position = group.firstChild + index;
        PrefetchGroups(position);
        return childOrder_[position];
    }
    std::size_t GroupCount() const { return groups_.size(); }
    std::size_t EntryCount() const { return entryCount_; }

private:
    // Records this many places ahead have their names asked for, and twice as
    // far ahead the records themselves.
    static constexpr std::size_t kPrefetchAhead = 8;

    TEXTRESGEN_PREFETCH_INLINE void PrefetchEntries(std::size_t position) const {
        if (position + 2 * kPrefetchAhead < valueOrder_.size())
            PrefetchForRead(&entries_[valueOrder_[position + 2 * kPrefetchAhead]]);
        if (position + kPrefetchAhead < valueOrder_.size())
            PrefetchForRead(entries_[valueOrder_[position + kPrefetchAhead]].units);
    }
    TEXTRESGEN_PREFETCH_INLINE void PrefetchGroups(std::size_t position) const {
        if (position + 2 * kPrefetchAhead < childOrder_.size())
            PrefetchForRead(&groups_[childOrder_[position + 2 * kPrefetchAhead]]);
        if (position + kPrefetchAhead < childOrder_.size())
            PrefetchForRead(groups_[childOrder_[position + kPrefetchAhead]].nameUnits);
    }

    static std::uint32_t HashName(GroupId parent, WideStringView name);
    GroupId FindOrAddChild(GroupId parent, WideStringView name, std::uint32_t hash);
    GroupId FindChild(GroupId parent, WideStringView name, std::uint32_t hash) const;
    std::uint32_t StoreEntry(GroupId group, WideStringView name, WideStringView text);
    struct PendingLine;
    WideStringView PendingGroupPart(const PendingLine& line) const;
    void ResolvePending();
    GroupId AddChild(GroupId parent, WideStringView name, std::uint32_t hash);
    void AddToLookup(GroupId id, std::uint32_t hash);
    void GrowLookup();
    void SortChildren();
    void LayOutLevels();
    void SortEntries();

    UnitArena arena_;
    BlockVector<ResourceNode> groups_;
    BlockVector<ResourceEntry> entries_;
    BlockVector<GroupId> entryGroups_;  // each entry's group, until Finish
    // After Finish: entry indices, each group's range by name, the ranges
    // level by level (breadth first, children by name). A range keeps its
    // replaced entries behind the ones it holds.
    std::vector<std::uint32_t> valueOrder_;
    std::size_t entryCount_ = 0;
    // After Finish: child group ids, each group's block by name, the blocks
    // in the same order of the groups. It is also that order itself: the
    // root's children, then their children, and so on.
    std::vector<GroupId> childOrder_;

    // While the tree is built, the children of every group with more than one
    // are found through one open-addressing table keyed by parent and name;
    // the slot keeps the hash so that probing and growing do not visit the
    // groups themselves. Each group also remembers the child found last and
    // its hash (in firstChild and firstValue): consecutive lines mostly share
    // their leading groups.
    struct LookupSlot {
        std::uint32_t idPlusOne = 0;  // 0 = empty
        std::uint32_t hash = 0;
    };
    std::vector<LookupSlot> lookup_;
    std::size_t hashed_ = 0;

    // Definitions whose groups are still to be found: the entry (stored, its
    // group not yet set) and where pendingUnits_ holds the dotted group part
    // of its name, or the earlier pending line with the same group part;
    // while resolving, the group reached and the next segment.
    static constexpr std::uint32_t kNone = ~std::uint32_t{0};
    struct PendingLine {
        std::uint32_t entry;
        std::uint32_t sameAs = kNone;
        std::size_t from = 0;  // the group part in pendingUnits_
        std::size_t next = 0;  // start of the segment to resolve next
        std::size_t end = 0;
        GroupId parent = kRoot;
        std::size_t segmentEnd = 0;
        std::uint32_t hash = 0;
    };
    static constexpr std::size_t kBatchLines = 64;
    static constexpr std::size_t kBatchUnits = std::size_t{1} << 16;
    std::vector<PendingLine> pending_;
    std::vector<std::uint32_t> active_;  // pending lines with segments left
    std::vector<char16_t> pendingUnits_;
    // The group part of the last resolved line and its group (kRoot: none).
    WideString lastGroupPart_;
    GroupId lastGroup_ = kRoot;
    bool finished_ = false;
};

}  // namespace textresgen
