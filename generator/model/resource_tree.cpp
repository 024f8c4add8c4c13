#include "model/resource_tree.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "model/name_sort.h"
#include "model/work_threads.h"

namespace textresgen {
namespace {

constexpr std::size_t kMaxRecords = std::numeric_limits<std::uint32_t>::max() - 1;
constexpr std::size_t kFirstLookupSize = 1024;
// Records this far ahead in a loop over records are asked for before they
// are needed.
constexpr std::size_t kAhead = 8;

// Equality of two names as one memory comparison.
bool SameName(WideStringView a, WideStringView b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

// True when every unit is below U+0100: the sort's keys then hold twice as
// many units.
bool AllBelow0100(WideStringView units) {
    char16_t high = 0;
    for (const char16_t unit : units) high |= unit;
    return high < 0x100;
}

// Group paths, sorted with "." below every unit.
struct PathNames {
    static constexpr bool kDotFirst = true;
    const BlockVector<GroupPath>& paths;
    WideStringView Name(std::uint32_t id) const { return paths[id].Units(); }
    const void* Record(std::uint32_t id) const { return &paths[id]; }
};

struct EntryNames {
    static constexpr bool kDotFirst = true;
    const BlockVector<ResourceEntry>& entries;
    WideStringView Name(std::uint32_t id) const { return entries[id].Name(); }
    const void* Record(std::uint32_t id) const { return &entries[id]; }
};

// The sort's scratch, reused from range to range.
struct SortScratch {
    std::vector<NameSortItem> items;
    std::vector<NameSortRun> runs;
};

// Sorts ids[0, count) by the names `names` gives them, a large sort on
// `threads` threads (`narrow`: see SortByName); returns how many it kept, at
// the front: of ids with the same name only the last (the highest id) is
// kept when `keepLastOnly`.
template <typename Names>
std::size_t SortIds(std::uint32_t* ids, std::size_t count, const Names& names, SortScratch& scratch,
                    bool keepLastOnly, bool narrow, unsigned threads = 1) {
    std::vector<NameSortItem>& items = scratch.items;
    items.resize(count);
    for (std::size_t i = 0; i < count; ++i) items[i].id = ids[i];
    SortByNameOnThreads(items.data(), count, names, scratch.runs, threads, narrow);
    std::size_t kept = 0;
    for (const NameSortItem& item : items)
        if (!keepLastOnly || item.sameAsNext == 0) ids[kept++] = item.id;
    return kept;
}

}  // namespace

ResourceTree::ResourceTree() { paths_.push_back(GroupPath{}); }

// Four units at a time; a multiply and a shift per step mix them well enough
// for a table indexed by the low bits of the result's upper half.
std::uint32_t ResourceTree::HashUnits(WideStringView units) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = units.size() * kMultiplier;
    const char16_t* next = units.data();
    std::size_t left = units.size();
    for (; left >= 4; left -= 4, next += 4) {
        std::uint64_t word;
        std::memcpy(&word, next, sizeof word);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    if (left > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, next, left * sizeof(char16_t));
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    h *= kMultiplier;
    return static_cast<std::uint32_t>(h >> 32);
}

// Kept at most three quarters full; each growth doubles the table and visits
// only its slots.
void ResourceTree::GrowLookup() {
    const std::size_t size = lookup_.empty() ? kFirstLookupSize : 2 * lookup_.size();
    std::vector<LookupSlot> grown(size);
    const std::size_t mask = size - 1;
    for (const LookupSlot& old : lookup_) {
        if (old.idPlusOne == 0) continue;
        std::size_t slot = old.hash & mask;
        while (grown[slot].idPlusOne != 0) slot = (slot + 1) & mask;
        grown[slot] = old;
    }
    lookup_.swap(grown);
}

// The path of these units; kNone when there is none yet.
ResourceTree::PathId ResourceTree::FindPath(WideStringView units, std::uint32_t hash) const {
    const std::size_t mask = lookup_.size() - 1;
    for (std::size_t slot = hash & mask; lookup_[slot].idPlusOne != 0; slot = (slot + 1) & mask) {
        if (lookup_[slot].hash != hash) continue;
        const PathId id = lookup_[slot].idPlusOne - 1;
        if (SameName(paths_[id].Units(), units)) return id;
    }
    return kNone;
}

// A new path, its units not yet stored (the caller stores them and sets them
// before the next lookup).
ResourceTree::PathId ResourceTree::AddPath(std::size_t length, std::uint32_t hash) {
    if (paths_.size() >= kMaxRecords || length > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many groups or too long a name");
    GroupPath path;
    path.length = static_cast<std::uint32_t>(length);
    paths_.push_back(path);
    const auto id = static_cast<PathId>(paths_.size() - 1);
    AddToLookup(id, hash);
    return id;
}

void ResourceTree::AddToLookup(PathId id, std::uint32_t hash) {
    // The root's path is never looked up: paths_ holds one more than the table.
    if (4 * paths_.size() > 3 * lookup_.size()) GrowLookup();
    const std::size_t mask = lookup_.size() - 1;
    std::size_t slot = hash & mask;
    while (lookup_[slot].idPlusOne != 0) slot = (slot + 1) & mask;
    lookup_[slot] = LookupSlot{id + 1, hash};
}

void ResourceTree::Define(WideStringView dottedName, WideStringView text) {
    const std::size_t dot = dottedName.rfind(u'.');
    if (dot == WideStringView::npos) {
        StoreEntry(kRootPath, dottedName, text);
        ++paths_[kRootPath].valueCount;
        return;
    }
    const WideStringView groupPart = dottedName.substr(0, dot);
    const WideStringView leaf = dottedName.substr(dot + 1);
    // Lines of one group mostly follow each other: the same group part as the
    // line before needs no lookup at all.
    if (pending_.empty() && lastPath_ != kRootPath && SameName(groupPart, paths_[lastPath_].Units())) {
        StoreEntry(lastPath_, leaf, text);
        ++paths_[lastPath_].valueCount;
        return;
    }
    // The entry is stored now, in line order; its path is found when the
    // batch is resolved. The first line of a run of one group part stores
    // that group part right before its name and text: if the path turns out
    // to be new, those units become the path's, next to its first entry
    // (where most paths hold one entry, the writers then find both in one
    // place); if it exists, they stay unused.
    PendingLine line;
    line.entry = static_cast<std::uint32_t>(entries_.size());
    if (!pending_.empty() && SameName(groupPart, PendingGroupPart(pending_.back()))) {
        const PendingLine& previous = pending_.back();
        line.sameAs = previous.sameAs == kNone ? static_cast<std::uint32_t>(pending_.size() - 1) : previous.sameAs;
        StoreEntry(kNone, leaf, text);
    } else {
        line.groupUnits = StoreEntry(kNone, leaf, text, groupPart);
        line.groupLength = groupPart.size();
    }
    pending_.push_back(line);
    if (pending_.size() == kBatchLines) ResolvePending();
}

// The group part of a pending line (the one it shares, when it has the same
// as an earlier line).
WideStringView ResourceTree::PendingGroupPart(const PendingLine& line) const {
    const PendingLine& owner = line.sameAs == kNone ? line : pending_[line.sameAs];
    return WideStringView(owner.groupUnits, owner.groupLength);
}

// Finds the pending lines' paths: a pass that hashes every group part and
// asks for its table slot, one that asks for the path a matching slot names,
// one that asks for that path's units, then the lookups themselves, in line
// order. A lookup that goes to memory costs a few hundred nanoseconds here;
// a batch's lookups overlap instead of following each other.
void ResourceTree::ResolvePending() {
    if (pending_.empty()) return;
    if (lookup_.empty()) GrowLookup();
    const std::size_t mask = lookup_.size() - 1;
    for (PendingLine& line : pending_) {
        if (line.sameAs != kNone) continue;
        line.hash = HashUnits(PendingGroupPart(line));
        PrefetchForRead(&lookup_[line.hash & mask]);
    }
    for (const PendingLine& line : pending_) {
        const LookupSlot& slot = lookup_[line.hash & mask];
        if (line.sameAs == kNone && slot.idPlusOne != 0 && slot.hash == line.hash)
            PrefetchForRead(&paths_[slot.idPlusOne - 1]);
    }
    for (const PendingLine& line : pending_) {
        const LookupSlot& slot = lookup_[line.hash & mask];
        if (line.sameAs == kNone && slot.idPlusOne != 0 && slot.hash == line.hash)
            PrefetchForRead(paths_[slot.idPlusOne - 1].units);
    }
    for (PendingLine& line : pending_) {
        if (line.sameAs != kNone) {
            line.path = pending_[line.sameAs].path;
        } else {
            line.path = FindPath(PendingGroupPart(line), line.hash);
            if (line.path == kNone) {
                line.path = AddPath(line.groupLength, line.hash);
                paths_[line.path].units = line.groupUnits;
                if (pathsNarrow_) pathsNarrow_ = AllBelow0100(paths_[line.path].Units());
            }
        }
        entryPaths_[line.entry] = line.path;
        ++paths_[line.path].valueCount;
    }
    lastPath_ = pending_.back().path;
    pending_.clear();
}

// Stores the entry's name and text, after `prefix` (a group part that may
// become a new path's units) when one is given; returns where `prefix` went.
// Counting the entry against its path is the caller's.
const char16_t* ResourceTree::StoreEntry(PathId path, WideStringView name, WideStringView text, WideStringView prefix) {
    if (entries_.size() >= kMaxRecords || name.size() > std::numeric_limits<std::uint32_t>::max() ||
        text.size() > std::numeric_limits<std::uint32_t>::max() >> 1)
        throw std::length_error("too many or too long names, or too long a text");
    char16_t high = 0;
    for (const char16_t unit : text) high |= unit;  // a loop compilers vectorise
    const bool narrow = high < 0x100;
    if (namesNarrow_) namesNarrow_ = AllBelow0100(name);
    const std::size_t textUnits = narrow ? (text.size() + 1) / 2 : text.size();
    char16_t* const start = arena_.Reserve(prefix.size() + name.size() + textUnits);
    std::copy(prefix.begin(), prefix.end(), start);
    char16_t* const stored = start + prefix.size();
    std::copy(name.begin(), name.end(), stored);
    if (narrow) {
        auto* bytes = reinterpret_cast<unsigned char*>(stored + name.size());
        for (std::size_t i = 0; i < text.size(); ++i) bytes[i] = static_cast<unsigned char>(text[i]);
    } else {
        std::copy(text.begin(), text.end(), stored + name.size());
    }
    entries_.push_back(ResourceEntry{stored, static_cast<std::uint32_t>(name.size()),
                                     static_cast<std::uint32_t>(text.size()) << 1 | (narrow ? 1u : 0u)});
    entryPaths_.push_back(path);
    return start;
}

void ResourceTree::Finish(unsigned threads) {
    if (finished_) return;
    ResolvePending();
    finished_ = true;
    lookup_ = std::vector<LookupSlot>();  // no more lookups: give the memory back
    SortPaths(threads);
    SortEntries(threads);
}

// The paths in the writers' order, the root's first (it is empty and has no
// segment); then each path's entry range, in that order (firstValue is set
// to the end of the range for SortEntries).
void ResourceTree::SortPaths(unsigned threads) {
    const std::size_t count = paths_.size();
    order_.resize(count);
    for (std::size_t i = 0; i < count; ++i) order_[i] = static_cast<PathId>(i);
    SortScratch scratch;
    SortIds(order_.data() + 1, count - 1, PathNames{paths_}, scratch, false, pathsNarrow_, threads);
    std::uint32_t end = 0;
    for (std::size_t rank = 0; rank < count; ++rank) {
        if (rank + kAhead < count) PrefetchForRead(&paths_[order_[rank + kAhead]]);
        GroupPath& path = paths_[order_[rank]];
        end += path.valueCount;
        path.firstValue = end;
    }
}

// Entries grouped by path with a counting sort, then each path's sorted by
// name; of a name defined several times the last definition is kept, at the
// front of the range (the replaced ones stay behind it, unread). Paths are
// sorted in id order, the order in which the file introduced them, so a
// table kept tidy reads its records and names front to back; each thread
// takes a stretch of them, and the few large groups are sorted afterwards,
// each on every thread. For a shuffled file, the entries' records and names
// are asked for a little ahead of the sort across path boundaries: most
// paths hold few entries, and their names lie anywhere in the arena.
void ResourceTree::SortEntries(unsigned threads) {
    const std::size_t count = entries_.size();
    valueOrder_.assign(count, 0);
    for (std::size_t i = count; i-- > 0;) {
        if (i >= kAhead) PrefetchForRead(&paths_[entryPaths_[i - kAhead]]);
        valueOrder_[--paths_[entryPaths_[i]].firstValue] = static_cast<std::uint32_t>(i);
    }
    entryPaths_ = BlockVector<PathId>();
    const EntryNames names{entries_};
    const std::size_t paths = paths_.size();
    // A large group is sorted on every thread; few paths are not worth threads.
    const bool shareLarge = threads > 1;
    const auto large = [&](const GroupPath& path) { return shareLarge && path.valueCount >= kSharedSortSize; };
    const unsigned shares = paths >= kSharedSortSize ? threads : 1;
    const auto worthAsking = [](const GroupPath& path) {
        return path.valueCount > 1 && path.valueCount <= 2 * kAhead;
    };
    std::vector<std::size_t> kept(shares, 0);
    std::vector<std::vector<PathId>> largePaths(shares);
    RunOnThreads(shares, [&](unsigned t) {
        SortScratch scratch;
        const std::size_t end = paths * (t + 1) / shares;
        for (std::size_t p = paths * t / shares; p < end; ++p) {
            if (p + 2 * kAhead < end) {
                const GroupPath& ahead = paths_[p + 2 * kAhead];
                if (worthAsking(ahead))
                    for (std::size_t j = 0; j < ahead.valueCount; ++j)
                        PrefetchForRead(&entries_[valueOrder_[ahead.firstValue + j]]);
            }
            if (p + kAhead < end) {
                const GroupPath& ahead = paths_[p + kAhead];
                if (worthAsking(ahead))
                    for (std::size_t j = 0; j < ahead.valueCount; ++j)
                        PrefetchForRead(entries_[valueOrder_[ahead.firstValue + j]].units);
            }
            GroupPath& path = paths_[p];
            if (large(path)) {
                largePaths[t].push_back(static_cast<PathId>(p));
                continue;
            }
            if (path.valueCount > 1)
                path.valueCount = static_cast<std::uint32_t>(
                    SortIds(valueOrder_.data() + path.firstValue, path.valueCount, names, scratch, true, namesNarrow_));
            kept[t] += path.valueCount;
        }
    });
    SortScratch scratch;
    for (const std::vector<PathId>& share : largePaths) {
        for (const PathId id : share) {
            GroupPath& path = paths_[id];
            path.valueCount = static_cast<std::uint32_t>(
                SortIds(valueOrder_.data() + path.firstValue, path.valueCount, names, scratch, true, namesNarrow_, threads));
            entryCount_ += path.valueCount;
        }
    }
    for (const std::size_t k : kept) entryCount_ += k;
}

}  // namespace textresgen
