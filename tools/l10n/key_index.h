#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "l10n/base_file.h"

// Finding items by their text key in 4 bytes a slot (a node-based map
// takes about 48 bytes an item): the items and their keys stay where the
// caller holds them, and the index keeps only their numbers. Millions of
// names are then looked up without a second copy of their views.
namespace textresl10n {

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
    std::uint32_t Find(std::string_view key, const KeyOf& keyOf) const {
        for (std::size_t at = Home(key);; at = (at + 1) & (slots_.size() - 1)) {
            if (slots_[at] == 0) return kNone;
            if (keyOf(slots_[at] - 1) == key) return slots_[at] - 1;
        }
    }

    // Adds item `id` under `key`, unless an item has that key: then that
    // item, which keeps the key, else kNone. At most `count` items.
    template <typename KeyOf>
    std::uint32_t Insert(std::uint32_t id, std::string_view key, const KeyOf& keyOf) {
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
    std::uint32_t InsertGrowing(std::uint32_t id, std::string_view key, const KeyOf& keyOf) {
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
    std::size_t Home(std::string_view key) const { return std::hash<std::string_view>()(key) & (slots_.size() - 1); }

    std::vector<std::uint32_t> slots_;  // an item's number + 1; 0: empty
    std::size_t count_ = 0;
};

// The units of a base file by name (the first unit of a name, which a
// base file has once).
class BaseUnitIndex {
public:
    explicit BaseUnitIndex(const BaseFile& base) : base_(base), index_(base.units.size()) {
        for (std::size_t i = 0; i < base.units.size(); ++i) index_.Insert(static_cast<std::uint32_t>(i), base.units[i].Key(), KeyOf());
    }
    // The unit named `key`; null when the base has none.
    const BaseUnit* Find(std::string_view key) const {
        const std::uint32_t i = index_.Find(key, KeyOf());
        return i == KeyIndex::kNone ? nullptr : &base_.units[i];
    }
    // Its number in the base; KeyIndex::kNone when the base has none.
    std::uint32_t FindNumber(std::string_view key) const { return index_.Find(key, KeyOf()); }

private:
    struct KeyOfUnit {
        const BaseFile& base;
        std::string_view operator()(std::uint32_t i) const { return base.units[i].Key(); }
    };
    KeyOfUnit KeyOf() const { return {base_}; }

    const BaseFile& base_;
    KeyIndex index_;
};

}  // namespace textresl10n
