#include "model/resource_tree.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "model/name_sort.h"

namespace textresgen {
namespace {

constexpr std::size_t kMaxRecords = std::numeric_limits<std::uint32_t>::max() - 1;
constexpr std::size_t kFirstLookupSize = 1024;
// Records this far ahead in a loop over records in file order are asked for
// before they are needed.
constexpr std::size_t kAhead = 8;

// Equality of two names as one memory comparison.
bool SameName(WideStringView a, WideStringView b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

struct GroupNames {
    const BlockVector<ResourceNode>& groups;
    WideStringView Name(std::uint32_t id) const { return groups[id].Name(); }
    const void* Record(std::uint32_t id) const { return &groups[id]; }
};

struct EntryNames {
    const BlockVector<ResourceEntry>& entries;
    WideStringView Name(std::uint32_t id) const { return entries[id].Name(); }
    const void* Record(std::uint32_t id) const { return &entries[id]; }
};

// Sorts ids[0, count) by the names `names` gives them; returns how many it
// kept, at the front: of ids with the same name only the last (the highest
// id) is kept when `keepLastOnly`.
// The sort's scratch, reused from group to group.
struct SortScratch {
    std::vector<NameSortItem> items;
    std::vector<NameSortRun> runs;
};

template <typename Names>
std::size_t SortIds(std::uint32_t* ids, std::size_t count, const Names& names, SortScratch& scratch,
                    bool keepLastOnly) {
    std::vector<NameSortItem>& items = scratch.items;
    items.resize(count);
    for (std::size_t i = 0; i < count; ++i) items[i].id = ids[i];
    SortByName(items.data(), count, names, scratch.runs);
    std::size_t kept = 0;
    for (const NameSortItem& item : items)
        if (!keepLastOnly || item.sameAsNext == 0) ids[kept++] = item.id;
    return kept;
}

}  // namespace

ResourceTree::ResourceTree() { groups_.push_back(ResourceNode{}); }

// Four units at a time; a multiply and a shift per step mix them well enough
// for a table indexed by the low bits of the result's upper half.
std::uint32_t ResourceTree::HashName(GroupId parent, WideStringView name) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = (static_cast<std::uint64_t>(parent) + 1) * kMultiplier ^ name.size();
    const char16_t* units = name.data();
    std::size_t left = name.size();
    for (; left >= 4; left -= 4, units += 4) {
        std::uint64_t word;
        std::memcpy(&word, units, sizeof word);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    if (left > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, units, left * sizeof(char16_t));
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    h *= kMultiplier;
    return static_cast<std::uint32_t>(h >> 32);
}

// Kept at most three quarters full; each growth doubles the table and visits
// only its slots.
void ResourceTree::GrowLookup() {
    std::size_t size = lookup_.empty() ? kFirstLookupSize : 2 * lookup_.size();
    while (4 * (hashed_ + 1) > 3 * size) size *= 2;
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

GroupId ResourceTree::Child(GroupId parent, WideStringView name) {
    ResolvePending();
    return FindOrAddChild(parent, name, HashName(parent, name));
}

GroupId ResourceTree::FindOrAddChild(GroupId parent, WideStringView name, std::uint32_t hash) {
    const ResourceNode& owner = groups_[parent];
    if (owner.childCount != 0 && owner.firstValue == hash && SameName(groups_[owner.firstChild].Name(), name))
        return owner.firstChild;
    const GroupId found = owner.childCount > 1 ? FindChild(parent, name, hash) : kRoot;
    if (found != kRoot) {
        ResourceNode& updated = groups_[parent];
        updated.firstChild = found;
        updated.firstValue = hash;
        return found;
    }
    return AddChild(parent, name, hash);
}

// The child in the table; kRoot (nobody's child) when absent.
GroupId ResourceTree::FindChild(GroupId parent, WideStringView name, std::uint32_t hash) const {
    const std::size_t mask = lookup_.size() - 1;
    for (std::size_t slot = hash & mask; lookup_[slot].idPlusOne != 0; slot = (slot + 1) & mask) {
        if (lookup_[slot].hash != hash) continue;
        const GroupId id = lookup_[slot].idPlusOne - 1;
        const ResourceNode& group = groups_[id];
        if (group.parent == parent && SameName(group.Name(), name)) return id;
    }
    return kRoot;
}

// Creates the child, known to be absent. A group's only child is not put in
// the table: it is the child found last, so the record finds it (names one
// group deeper than any other are common, and the table is memory touched at
// random). The second child puts both in.
GroupId ResourceTree::AddChild(GroupId parent, WideStringView name, std::uint32_t hash) {
    if (groups_.size() >= kMaxRecords || name.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many groups or too long a name");
    ResourceNode group;
    group.nameUnits = arena_.Store(name);
    group.nameLength = static_cast<std::uint32_t>(name.size());
    group.parent = parent;
    groups_.push_back(group);
    const auto id = static_cast<GroupId>(groups_.size() - 1);
    ResourceNode& owner = groups_[parent];  // adding a group may have moved the first block
    if (owner.childCount == 1) AddToLookup(owner.firstChild, owner.firstValue);
    if (owner.childCount >= 1) AddToLookup(id, hash);
    ++owner.childCount;
    owner.firstChild = id;
    owner.firstValue = hash;
    return id;
}

void ResourceTree::AddToLookup(GroupId id, std::uint32_t hash) {
    if (4 * (hashed_ + 1) > 3 * lookup_.size()) GrowLookup();
    const std::size_t mask = lookup_.size() - 1;
    std::size_t slot = hash & mask;
    while (lookup_[slot].idPlusOne != 0) slot = (slot + 1) & mask;
    lookup_[slot] = LookupSlot{id + 1, hash};
    ++hashed_;
}

void ResourceTree::Value(GroupId group, WideStringView name, WideStringView text) {
    ResolvePending();
    StoreEntry(group, name, text);
    ++groups_[group].valueCount;
}

void ResourceTree::Define(WideStringView dottedName, WideStringView text) {
    const std::size_t dot = dottedName.rfind(u'.');
    if (dot == WideStringView::npos) {
        StoreEntry(kRoot, dottedName, text);
        ++groups_[kRoot].valueCount;
        return;
    }
    const WideStringView groupPart = dottedName.substr(0, dot);
    const WideStringView leaf = dottedName.substr(dot + 1);
    // Lines of one group mostly follow each other: the same group part as the
    // line before needs no lookup at all.
    if (pending_.empty() && lastGroup_ != kRoot && SameName(groupPart, lastGroupPart_)) {
        StoreEntry(lastGroup_, leaf, text);
        ++groups_[lastGroup_].valueCount;
        return;
    }
    // The entry is stored now, in line order; its group is filled in when the
    // batch is resolved.
    const std::uint32_t entry = StoreEntry(kRoot, leaf, text);
    if (!pending_.empty() && SameName(groupPart, PendingGroupPart(pending_.back()))) {
        const PendingLine& previous = pending_.back();
        pending_.push_back(PendingLine{entry, previous.sameAs == kNone ? static_cast<std::uint32_t>(pending_.size() - 1)
                                                                       : previous.sameAs});
    } else {
        const std::size_t from = pendingUnits_.size();
        pendingUnits_.insert(pendingUnits_.end(), groupPart.begin(), groupPart.end());
        pending_.push_back(PendingLine{entry, kNone, from, from, pendingUnits_.size()});
    }
    if (pending_.size() == kBatchLines || pendingUnits_.size() >= kBatchUnits) ResolvePending();
}

// The dotted group part of a pending line (the one it shares, when it has the
// same as an earlier line).
WideStringView ResourceTree::PendingGroupPart(const PendingLine& line) const {
    const PendingLine& owner = line.sameAs == kNone ? line : pending_[line.sameAs];
    return WideStringView(pendingUnits_.data() + owner.from, owner.end - owner.from);
}

// Resolves the pending lines' groups one level at a time: first a pass that
// finds every line's next segment, hashes it and asks for the table slot,
// then one that asks for the group a matching slot names, then the lookups
// themselves, in line order. A lookup that goes to memory costs a few hundred
// nanoseconds here; a batch's lookups overlap instead of following each other.
void ResourceTree::ResolvePending() {
    if (pending_.empty()) return;
    const char16_t* units = pendingUnits_.data();
    active_.clear();
    for (std::uint32_t i = 0; i < pending_.size(); ++i)
        if (pending_[i].sameAs == kNone) active_.push_back(i);
    while (!active_.empty()) {
        const std::size_t mask = lookup_.empty() ? 0 : lookup_.size() - 1;
        for (const std::uint32_t i : active_) {
            PendingLine& line = pending_[i];
            const WideStringView rest(units + line.next, line.end - line.next);
            const std::size_t dot = rest.find(u'.');
            line.segmentEnd = dot == WideStringView::npos ? line.end : line.next + dot;
            line.hash = HashName(line.parent, WideStringView(units + line.next, line.segmentEnd - line.next));
            const ResourceNode& owner = groups_[line.parent];
            if (owner.childCount > 1 && owner.firstValue != line.hash) PrefetchForRead(&lookup_[line.hash & mask]);
        }
        for (const std::uint32_t i : active_) {
            const PendingLine& line = pending_[i];
            const ResourceNode& owner = groups_[line.parent];
            if (owner.childCount <= 1 || owner.firstValue == line.hash) continue;
            const LookupSlot& slot = lookup_[line.hash & mask];
            if (slot.idPlusOne != 0 && slot.hash == line.hash) PrefetchForRead(&groups_[slot.idPlusOne - 1]);
        }
        std::size_t stillActive = 0;
        for (const std::uint32_t i : active_) {
            PendingLine& line = pending_[i];
            line.parent = FindOrAddChild(
                line.parent, WideStringView(units + line.next, line.segmentEnd - line.next), line.hash);
            if (line.segmentEnd < line.end) {
                line.next = line.segmentEnd + 1;
                active_[stillActive++] = i;
            }
        }
        active_.resize(stillActive);
    }
    for (const PendingLine& line : pending_) {
        const GroupId group = line.sameAs == kNone ? line.parent : pending_[line.sameAs].parent;
        entryGroups_[line.entry] = group;
        ++groups_[group].valueCount;
    }
    const PendingLine& last = pending_.back();
    lastGroup_ = last.sameAs == kNone ? last.parent : pending_[last.sameAs].parent;
    lastGroupPart_.assign(PendingGroupPart(last));
    pending_.clear();
    pendingUnits_.clear();
}

// Stores the entry's name and text; its group's count is the caller's to add.
std::uint32_t ResourceTree::StoreEntry(GroupId group, WideStringView name, WideStringView text) {
    if (entries_.size() >= kMaxRecords || name.size() > std::numeric_limits<std::uint32_t>::max() ||
        text.size() > std::numeric_limits<std::uint32_t>::max() >> 1)
        throw std::length_error("too many or too long names, or too long a text");
    char16_t high = 0;
    for (const char16_t unit : text) high |= unit;  // a loop compilers vectorise
    const bool narrow = high < 0x100;
    const std::size_t textUnits = narrow ? (text.size() + 1) / 2 : text.size();
    char16_t* stored = arena_.Reserve(name.size() + textUnits);
    std::copy(name.begin(), name.end(), stored);
    if (narrow) {
        auto* bytes = reinterpret_cast<unsigned char*>(stored + name.size());
        for (std::size_t i = 0; i < text.size(); ++i) bytes[i] = static_cast<unsigned char>(text[i]);
    } else {
        std::copy(text.begin(), text.end(), stored + name.size());
    }
    entries_.push_back(ResourceEntry{stored, static_cast<std::uint32_t>(name.size()),
                                     static_cast<std::uint32_t>(text.size()) << 1 | (narrow ? 1u : 0u)});
    entryGroups_.push_back(group);
    return static_cast<std::uint32_t>(entries_.size() - 1);
}

void ResourceTree::Finish() {
    if (finished_) return;
    ResolvePending();
    finished_ = true;
    lookup_ = std::vector<LookupSlot>();  // no more lookups: give the memory back
    SortChildren();
    LayOutLevels();
    SortEntries();
}

// Children grouped by parent with a counting sort (the counts were kept while
// building), then each parent's sorted by name; LayOutLevels then moves the
// blocks into breadth-first order.
void ResourceTree::SortChildren() {
    const std::size_t count = groups_.size();
    std::uint32_t end = 0;
    for (std::size_t g = 0; g < count; ++g) {
        end += groups_[g].childCount;
        groups_[g].firstChild = end;  // the end of its range for now
    }
    // Backwards, so that each range ends up starting at firstChild, in id order.
    childOrder_.assign(count - 1, 0);  // every group but the root is a child
    for (std::size_t g = count - 1; g > 0; --g) {
        if (g > kAhead) PrefetchForRead(&groups_[groups_[g - kAhead].parent]);
        childOrder_[--groups_[groups_[g].parent].firstChild] = static_cast<std::uint32_t>(g);
    }
    SortScratch scratch;
    const GroupNames names{groups_};
    for (std::size_t g = 0; g < count; ++g) {
        const ResourceNode& group = groups_[g];
        if (group.childCount > 1)
            SortIds(childOrder_.data() + group.firstChild, group.childCount, names, scratch, false);
    }
}

// Lays out the groups level by level (breadth first, children by name):
// each group's block of children, and its entries' range in valueOrder_
// (firstValue is set to the end of the range for SortEntries). The writers
// walk depth first, but what they read next at each level then lies ahead
// in these arrays, so prefetching along them works; and building the layout
// is one pass over an array that grows behind the reading, not a depth-first
// walk in which every step waits for the record before.
void ResourceTree::LayOutLevels() {
    std::vector<GroupId> blocks;
    blocks.reserve(childOrder_.size());
    std::uint32_t entriesEnd = 0;
    const auto place = [&](GroupId id) {
        ResourceNode& node = groups_[id];
        const GroupId* children = childOrder_.data() + node.firstChild;
        node.firstChild = static_cast<std::uint32_t>(blocks.size());
        blocks.insert(blocks.end(), children, children + node.childCount);
        entriesEnd += node.valueCount;
        node.firstValue = entriesEnd;
    };
    place(kRoot);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (i + 2 * kAhead < blocks.size()) PrefetchForRead(&groups_[blocks[i + 2 * kAhead]]);
        if (i + kAhead < blocks.size()) PrefetchForRead(childOrder_.data() + groups_[blocks[i + kAhead]].firstChild);
        place(blocks[i]);
    }
    childOrder_.swap(blocks);
}

// Entries grouped by group with a counting sort (each group's range lies in
// the level-by-level order LayOutLevels gave), then each group's sorted by
// name; of a name defined several times the last definition is kept, at the
// front of the range (the replaced ones stay behind it, unread). Groups are
// sorted in id order, the order in which the file introduced them, so a
// table kept tidy reads its records and names front to back. For a shuffled
// file, the entries' records and names are asked for a little ahead
// of the sort across group boundaries: most groups hold few entries, and
// their names lie anywhere in the arena.
void ResourceTree::SortEntries() {
    const std::size_t count = entries_.size();
    valueOrder_.assign(count, 0);
    for (std::size_t i = count; i-- > 0;) {
        if (i >= kAhead) PrefetchForRead(&groups_[entryGroups_[i - kAhead]]);
        valueOrder_[--groups_[entryGroups_[i]].firstValue] = static_cast<std::uint32_t>(i);
    }
    entryGroups_ = BlockVector<GroupId>();
    SortScratch scratch;
    const EntryNames names{entries_};
    const std::size_t groups = groups_.size();
    const auto worthAsking = [](const ResourceNode& group) {
        return group.valueCount > 1 && group.valueCount <= 2 * kAhead;
    };
    for (std::size_t g = 0; g < groups; ++g) {
        if (g + 2 * kAhead < groups) {
            const ResourceNode& ahead = groups_[g + 2 * kAhead];
            if (worthAsking(ahead))
                for (std::size_t j = 0; j < ahead.valueCount; ++j)
                    PrefetchForRead(&entries_[valueOrder_[ahead.firstValue + j]]);
        }
        if (g + kAhead < groups) {
            const ResourceNode& ahead = groups_[g + kAhead];
            if (worthAsking(ahead))
                for (std::size_t j = 0; j < ahead.valueCount; ++j)
                    PrefetchForRead(entries_[valueOrder_[ahead.firstValue + j]].units);
        }
        ResourceNode& group = groups_[g];
        if (group.valueCount > 1)
            group.valueCount = static_cast<std::uint32_t>(
                SortIds(valueOrder_.data() + group.firstValue, group.valueCount, names, scratch, true));
        entryCount_ += group.valueCount;
    }
}

}  // namespace textresgen
