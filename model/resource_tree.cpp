#include "model/resource_tree.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace textresgen {
namespace {

constexpr std::size_t kMaxRecords = std::numeric_limits<std::uint32_t>::max() - 1;

// Counting sort of record indices by an owner key: a stable grouping, so
// within one owner the indices stay in the order they were created.
template <typename OwnerOf>
std::vector<std::uint32_t> GroupByOwner(std::size_t records, std::size_t owners, OwnerOf ownerOf,
                                        std::vector<std::uint32_t>& starts) {
    starts.assign(owners + 1, 0);
    for (std::size_t i = 0; i < records; ++i) ++starts[ownerOf(i) + 1];
    for (std::size_t g = 0; g < owners; ++g) starts[g + 1] += starts[g];
    std::vector<std::uint32_t> order(records);
    std::vector<std::uint32_t> fill(starts.begin(), starts.end() - 1);
    for (std::size_t i = 0; i < records; ++i) order[fill[ownerOf(i)]++] = static_cast<std::uint32_t>(i);
    return order;
}

// Equality of two names as one memory comparison.
bool SameName(WideStringView a, WideStringView b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

}  // namespace

ResourceTree::ResourceTree() {
    groups_.push_back(ResourceNode{});
    links_.push_back(BuildLinks{});
}

std::uint32_t ResourceTree::HashName(GroupId parent, WideStringView name) {
    std::uint64_t h = 0xCBF29CE484222325ull ^ (static_cast<std::uint64_t>(parent) * 0x9E3779B97F4A7C15ull);
    for (const char16_t unit : name) h = (h ^ unit) * 0x100000001B3ull;
    return static_cast<std::uint32_t>(h ^ (h >> 29));
}

// Kept at most three quarters full; each growth at least doubles the table.
void ResourceTree::GrowLookup() {
    std::size_t size = 1024;
    while (size < 2 * (hashed_ + 1)) size *= 2;
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

void ResourceTree::AddToLookup(GroupId id, std::uint32_t hash) {
    if (4 * (hashed_ + 1) > 3 * lookup_.size()) GrowLookup();
    const std::size_t mask = lookup_.size() - 1;
    std::size_t slot = hash & mask;
    while (lookup_[slot].idPlusOne != 0) slot = (slot + 1) & mask;
    lookup_[slot] = LookupSlot{id + 1, hash};
    ++hashed_;
}

GroupId ResourceTree::Child(GroupId parent, WideStringView name) {
    const GroupId recent = links_[parent].recentChild;
    if (recent != 0 && SameName(groups_[recent].name, name)) return recent;
    const GroupId found = FindOrAddChild(parent, name);
    links_[parent].recentChild = found;
    return found;
}

// A group with few children searches its list of them: they were created
// close together, so this stays in cache. Beyond kListedChildren, its
// children go into the hash table.
GroupId ResourceTree::FindOrAddChild(GroupId parent, WideStringView name) {
    const std::uint32_t count = links_[parent].childCount;
    std::uint32_t hash = 0;
    if (count <= kListedChildren) {
        for (GroupId id = links_[parent].newestChild; id != 0; id = links_[id].olderSibling)
            if (SameName(groups_[id].name, name)) return id;
    } else {
        hash = HashName(parent, name);
        const std::size_t mask = lookup_.size() - 1;
        for (std::size_t slot = hash & mask; lookup_[slot].idPlusOne != 0; slot = (slot + 1) & mask) {
            if (lookup_[slot].hash != hash) continue;
            const GroupId id = lookup_[slot].idPlusOne - 1;
            const ResourceNode& group = groups_[id];
            if (group.parent == parent && SameName(group.name, name)) return id;
        }
    }

    if (groups_.size() >= kMaxRecords) throw std::length_error("too many groups");
    ResourceNode group;
    group.name = WideStringView(arena_.Store(name), name.size());
    group.parent = parent;
    groups_.push_back(group);
    const auto id = static_cast<GroupId>(groups_.size() - 1);
    links_.push_back(BuildLinks{0, 0, links_[parent].newestChild, 0});
    links_[parent].newestChild = id;
    links_[parent].childCount = count + 1;

    if (count > kListedChildren) {
        AddToLookup(id, hash);
    } else if (count == kListedChildren) {
        // The list just outgrew itself: from now on this parent's children
        // are found through the table.
        for (GroupId child = id; child != 0; child = links_[child].olderSibling)
            AddToLookup(child, HashName(parent, groups_[child].name));
    }
    return id;
}

void ResourceTree::Value(GroupId group, WideStringView name, WideStringView text) {
    if (entries_.size() >= kMaxRecords || name.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many or too long names");
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
    entries_.push_back(ResourceEntry{stored, group, static_cast<std::uint32_t>(name.size()),
                                     static_cast<std::uint64_t>(text.size()) << 1 | (narrow ? 1u : 0u)});
}

void ResourceTree::Finish() {
    if (finished_) return;
    finished_ = true;
    lookup_ = std::vector<LookupSlot>();  // no more lookups: give the memory back
    links_ = BlockVector<BuildLinks>();

    std::vector<std::uint32_t> starts;

    // Entries: grouped by their group, sorted by name, the last definition of
    // a name kept. Ties in name are broken by creation order, so the latest
    // definition ends each run of equal names.
    valueOrder_ = GroupByOwner(
        entries_.size(), groups_.size(), [this](std::size_t i) { return entries_[i].group; }, starts);
    std::size_t kept = 0;
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const auto begin = valueOrder_.begin() + starts[g];
        const auto end = valueOrder_.begin() + starts[g + 1];
        std::sort(begin, end, [this](std::uint32_t a, std::uint32_t b) {
            const int order = entries_[a].Name().compare(entries_[b].Name());
            return order != 0 ? order < 0 : a < b;
        });
        groups_[g].firstValue = static_cast<std::uint32_t>(kept);
        for (auto it = begin; it != end; ++it) {
            const bool replaced = it + 1 != end && entries_[*it].Name() == entries_[*(it + 1)].Name();
            if (!replaced) valueOrder_[kept++] = *it;
        }
        groups_[g].valueCount = static_cast<std::uint32_t>(kept - groups_[g].firstValue);
    }
    valueOrder_.resize(kept);

    // Child groups: grouped by parent, sorted by name (unique per parent).
    // The root is nobody's child; it sorts first as its own parent and is
    // skipped.
    childOrder_ = GroupByOwner(
        groups_.size(), groups_.size(), [this](std::size_t i) { return groups_[i].parent; }, starts);
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        auto begin = childOrder_.begin() + starts[g];
        const auto end = childOrder_.begin() + starts[g + 1];
        if (g == kRoot) ++begin;
        std::sort(begin, end, [this](GroupId a, GroupId b) { return groups_[a].name < groups_[b].name; });
        groups_[g].firstChild = static_cast<std::uint32_t>(begin - childOrder_.begin());
        groups_[g].childCount = static_cast<std::uint32_t>(end - begin);
    }
}

}  // namespace textresgen
