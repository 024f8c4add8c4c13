#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "l10n/base_file.h"
#include "text/key_index.h"

// The index of text/key_index.h by UTF-8 key, and the units of a base file
// found through it.
namespace textresl10n {

using KeyIndex = textresgen::KeyIndex<std::string_view>;

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
