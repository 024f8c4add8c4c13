#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Finding items by a key in 4 bytes a slot (a node-based map takes about
// 48 bytes an item): the items and their keys stay where the caller holds
// them, and the index keeps only their numbers. Millions of names are then
// looked up without a second copy of them. `Key` is a view (a name, or a
// name with its scope), compared with ==.
namespace textresgen {

template <typename Key, typename Hash = std::hash<Key>>
class KeyIndex {
public:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // Room for `count` items (below kNone), the slots at most two thirds full.
    explicit KeyIndex(std::size_t count) {
        std::size_t capacity = 16;
        while (capacity < count + count / 2 + 1) capacity *= 2;
        slots_.assign(capacity, 0);
    }

    // The item whose key is `key` (keyOf(i): item i's key), else kNone.
    template <typename KeyOf>
    std::uint32_t Find(const Key& key, const KeyOf& keyOf) const {
        for (std::size_t at = Home(key);; at = (at + 1) & (slots_.size() - 1)) {
            if (slots_[at] == 0) return kNone;
            if (keyOf(slots_[at] - 1) == key) return slots_[at] - 1;
        }
    }

    // Adds item `id` under `key`, unless an item has that key: then that
    // item, which keeps the key, else kNone. At most `count` items.
    template <typename KeyOf>
    std::uint32_t Insert(std::uint32_t id, const Key& key, const KeyOf& keyOf) {
        std::size_t at = Home(key);
        for (; slots_[at] != 0; at = (at + 1) & (slots_.size() - 1))
            if (keyOf(slots_[at] - 1) == key) return slots_[at] - 1;
        slots_[at] = id + 1;
        ++count_;
        return kNone;
    }

    // The same for a caller that does not know the count beforehand: the
    // slots double whenever they would be more than two thirds full.
    template <typename KeyOf>
    std::uint32_t InsertGrowing(std::uint32_t id, const Key& key, const KeyOf& keyOf) {
        if (3 * (count_ + 1) > 2 * slots_.size()) {
            std::vector<std::uint32_t> old(2 * slots_.size(), 0);
            old.swap(slots_);
            for (const std::uint32_t slot : old) {
                if (slot == 0) continue;
                std::size_t at = Home(keyOf(slot - 1));
                while (slots_[at] != 0) at = (at + 1) & (slots_.size() - 1);
                slots_[at] = slot;
            }
        }
        return Insert(id, key, keyOf);
    }

private:
    std::size_t Home(const Key& key) const { return Hash()(key) & (slots_.size() - 1); }

    std::vector<std::uint32_t> slots_;  // an item's number + 1; 0: empty
    std::size_t count_ = 0;
};

}  // namespace textresgen
