#include "model/unit_arena.h"

#include <algorithm>

namespace textresgen {

const char16_t* UnitArena::Store(WideStringView first, WideStringView second) {
    char16_t* stored = Reserve(first.size() + second.size());
    std::copy(first.begin(), first.end(), stored);
    std::copy(second.begin(), second.end(), stored + first.size());
    return stored;
}

char16_t* UnitArena::Reserve(std::size_t size) {
    if (size > left_) {
        // An oversized request gets a block of its own; the current block
        // stays open for the small requests that follow.
        if (size > kBlockUnits / 4) {
            blocks_.emplace_back(new char16_t[size == 0 ? 1 : size]);
            return blocks_.back().get();
        }
        const std::size_t units = std::max(nextBlockUnits_, size);
        blocks_.emplace_back(new char16_t[units]);
        next_ = blocks_.back().get();
        left_ = units;
        nextBlockUnits_ = std::min(2 * nextBlockUnits_, kBlockUnits);
    }
    char16_t* reserved = next_;
    next_ += size;
    left_ -= size;
    return reserved;
}

}  // namespace textresgen
