#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace textresgen {

// Append-only storage for many texts, each copied once into large blocks.
// Stored units never move, not even when the arena is moved, so views into
// them stay valid for its lifetime: a hundred thousand texts cost their
// units and a few block headers, not an allocation each. Blocks start small
// and double (a small input touches little fresh memory); they are not
// zeroed, so a page is touched only when a text is copied there.
template <typename Unit>
class Arena {
public:
    // Room for `size` units, to be filled by the caller.
    Unit* Reserve(std::size_t size) {
        if (size > left_) return ReserveInNewBlock(size);
        Unit* reserved = next_;
        next_ += size;
        left_ -= size;
        return reserved;
    }

    // A lasting copy of `text`.
    std::basic_string_view<Unit> Keep(std::basic_string_view<Unit> text) {
        if (text.empty()) return {};
        Unit* kept = Reserve(text.size());
        std::copy(text.begin(), text.end(), kept);
        return {kept, text.size()};
    }

private:
    static constexpr std::size_t kFirstBlockUnits = 8 * 1024 / sizeof(Unit);
    static constexpr std::size_t kLargestBlockUnits = 2 * 1024 * 1024 / sizeof(Unit);

    Unit* ReserveInNewBlock(std::size_t size) {
        // A request over a quarter of the largest block gets a block of its
        // own; the current block stays open for the small ones that follow.
        if (size > kLargestBlockUnits / 4) {
            blocks_.emplace_back(new Unit[size]);
            return blocks_.back().get();
        }
        const std::size_t units = std::max(nextBlockUnits_, size);
        blocks_.emplace_back(new Unit[units]);
        next_ = blocks_.back().get() + size;
        left_ = units - size;
        nextBlockUnits_ = std::min(2 * nextBlockUnits_, kLargestBlockUnits);
        return blocks_.back().get();
    }

    std::vector<std::unique_ptr<Unit[]>> blocks_;
    std::size_t nextBlockUnits_ = kFirstBlockUnits;
    Unit* next_ = nullptr;
    std::size_t left_ = 0;
};

}  // namespace textresgen
