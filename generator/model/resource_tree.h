#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/block_vector.h"
#include "model/prefetch.h"
#include "text/arena.h"
#include "text/wide_string.h"

namespace textresgen {

// A group of the dotted names as the writers meet it (see WalkGroups in
// model/group_walk.h): its name and its entries, a range in name order. A
// group that holds only groups has no entries.
struct ResourceNode {
    WideStringView name;  // the root's name is empty
    std::uint32_t firstValue = 0;
    std::uint32_t valueCount = 0;

    WideStringView Name() const { return name; }
};

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

// A group path that holds entries, as Finish orders them: the dotted group
// part of their names ("Menu.Sub"; the root's is empty and has no segment)
// and the range of its entries.
struct GroupPath {
    const char16_t* units = nullptr;
    std::uint32_t length = 0;
    std::uint32_t valueCount = 0;  // entries defined; after Finish, entries kept
    std::uint32_t firstValue = 0;  // after Finish

    WideStringView Units() const { return {units, length}; }
};

// The definitions arranged by their dotted names. Filled through Define, then
// frozen by Finish; the writers only read it afterwards, through WalkGroups.
//
// Names are ordered by unsigned UTF-16 code units, a prefix before the longer
// name. A later definition of the same full name replaces the earlier text. A
// name may be an entry and a group of the same group at once.
//
// There are no group records. Each distinct group part of the names ("Menu.Sub"
// of "Menu.Sub.Open") is stored once, with its entries counted against it.
// Finish sorts these paths as whole strings, a "." below every other unit:
// that order is the writers' depth-first order, every group before the groups
// inside it and a group's children by name, so the walk takes the groups to
// open and close from where each path parts from the one before. A file that
// gives every entry a group path of its own then costs one path per entry
// rather than a record per group; the writers go through the paths and
// entries by arrays of their ids in the writers' order, asking for what they
// read next a little ahead.
class ResourceTree {
public:
    ResourceTree();

    // One definition: the entry after the last "." of `dottedName`, in the
    // group the part before it names (the root when there is no "."). Names
    // hold no U+0000 and names and texts no LF, as the line rules give them
    // (the writers copy both as they are). Definitions are taken in small
    // batches whose lookups overlap in memory; Finish completes the last
    // batch.
    void Define(WideStringView dottedName, WideStringView text);
    // Orders the paths and every path's entries and drops replaced entries;
    // a large tree's sorting is shared among `threads` threads.
    void Finish(unsigned threads = 1);

    // Read access, valid after Finish(): the paths in the writers' order (the
    // root's first) and their entries. Both accessors ask for what comes a
    // few places further on.
    std::size_t PathCount() const { return order_.size(); }
    const GroupPath& PathAt(std::size_t rank) const {
        PrefetchPaths(rank);
        return paths_[order_[rank]];
    }
    const ResourceEntry& ValueAt(const ResourceNode& group, std::uint32_t index) const {
        const std::size_t position = group.firstValue + index;
        PrefetchEntries(position);
        return entries_[valueOrder_[position]];
    }
    std::size_t EntryCount() const { return entryCount_; }
    // Positions of the entry order: the entries kept and, behind each
    // group's range, the ones replaced.
    std::size_t PositionCount() const { return valueOrder_.size(); }

private:
    using PathId = std::uint32_t;
    static constexpr PathId kRootPath = 0;

    // Records this many places ahead have their units asked for, and twice as
    // far ahead the records themselves.
    static constexpr std::size_t kPrefetchAhead = 8;

    TEXTRESGEN_PREFETCH_INLINE void PrefetchEntries(std::size_t position) const {
        if (position + 2 * kPrefetchAhead < valueOrder_.size())
            PrefetchForRead(&entries_[valueOrder_[position + 2 * kPrefetchAhead]]);
        if (position + kPrefetchAhead < valueOrder_.size())
            PrefetchForRead(entries_[valueOrder_[position + kPrefetchAhead]].units);
    }
    TEXTRESGEN_PREFETCH_INLINE void PrefetchPaths(std::size_t rank) const {
        if (rank + 2 * kPrefetchAhead < order_.size()) PrefetchForRead(&paths_[order_[rank + 2 * kPrefetchAhead]]);
        if (rank + kPrefetchAhead < order_.size()) PrefetchForRead(paths_[order_[rank + kPrefetchAhead]].units);
    }

    static std::uint32_t HashUnits(WideStringView units);
    PathId FindPath(WideStringView units, std::uint32_t hash) const;
    PathId AddPath(std::size_t length, std::uint32_t hash);
    void AddToLookup(PathId id, std::uint32_t hash);
    void GrowLookup();
    const char16_t* StoreEntry(PathId path, WideStringView name, WideStringView text, WideStringView prefix = {});
    struct PendingLine;
    WideStringView PendingGroupPart(const PendingLine& line) const;
    void ResolvePending();
    void SortPaths(unsigned threads);
    void SortEntries(unsigned threads);

    Arena<char16_t> arena_;  // the units of paths, names and texts
    BlockVector<GroupPath> paths_;
    BlockVector<ResourceEntry> entries_;
    BlockVector<PathId> entryPaths_;  // each entry's path, until Finish
    // After Finish: path ids in the writers' order; entry indices, each
    // path's range by name, the ranges in the same order. A range keeps its
    // replaced entries behind the ones it holds.
    std::vector<PathId> order_;
    std::vector<std::uint32_t> valueOrder_;
    std::size_t entryCount_ = 0;

    // While reading, every path but the root's is found through one
    // open-addressing table; the slot keeps the hash so that probing and
    // growing do not visit the paths themselves.
    struct LookupSlot {
        std::uint32_t idPlusOne = 0;  // 0 = empty
        std::uint32_t hash = 0;
    };
    std::vector<LookupSlot> lookup_;

    // Definitions whose path is still to be found, in line order: the entry
    // (stored, its path not yet set) and its group part where the arena holds
    // it, or the earlier pending line with the same one; while resolving,
    // the hash and the path found.
    static constexpr std::uint32_t kNone = ~std::uint32_t{0};
    struct PendingLine {
        std::uint32_t entry = 0;
        std::uint32_t sameAs = kNone;
        const char16_t* groupUnits = nullptr;
        std::size_t groupLength = 0;
        std::uint32_t hash = 0;
        PathId path = kRootPath;
    };
    static constexpr std::size_t kBatchLines = 64;
    std::vector<PendingLine> pending_;
    PathId lastPath_ = kRootPath;  // the path of the last resolved line
    // Whether every unit of the paths, and of the entries' names, is below
    // U+0100 (see SortByName).
    bool pathsNarrow_ = true;
    bool namesNarrow_ = true;
    bool finished_ = false;
};

}  // namespace textresgen
