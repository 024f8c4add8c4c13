#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "text/wide_string.h"

namespace textresgen {

// Append-only storage for the names and texts of the tree. Stored units never
// move, so views into them stay valid for the arena's lifetime; blocks are
// large and filled front to back, so memory is touched only as it is used.
class UnitArena {
public:
    // Copies `first` and `second` next to each other; returns the first unit.
    const char16_t* Store(WideStringView first, WideStringView second = {});
    // Room for `size` units, to be filled by the caller.
    char16_t* Reserve(std::size_t size);

private:
    // Blocks start small and double up to kBlockUnits, so a small
    // definition touches little fresh memory.
    static constexpr std::size_t kFirstBlockUnits = 4096;
    static constexpr std::size_t kBlockUnits = 1u << 20;

    std::vector<std::unique_ptr<char16_t[]>> blocks_;
    std::size_t nextBlockUnits_ = kFirstBlockUnits;
    char16_t* next_ = nullptr;
    std::size_t left_ = 0;
};

}  // namespace textresgen
