#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/resource_tree.h"

namespace textresgen {

// A place in the walk below, so that it can be taken in pieces that together
// make the whole walk: `rank` is the path the walk is at; `offset` how many
// of its entries are behind, 0 meaning the path is not entered yet. The
// start is {0, 0}, the end {PathCount(), 0}.
struct WalkCut {
    std::size_t rank = 0;
    std::uint32_t offset = 0;

    bool operator==(const WalkCut& other) const { return rank == other.rank && offset == other.offset; }
    bool operator!=(const WalkCut& other) const { return !(*this == other); }
};

inline WalkCut WalkEnd(const ResourceTree& tree) { return {tree.PathCount(), 0}; }

// The place just before the entry at `position` of the entry order (a
// group's entries are positions firstValue .. firstValue + valueCount - 1,
// the groups' ranges in walk order, with gaps where replaced entries lie);
// a position in a gap or at a group's first entry gives the place before the
// next group is entered.
inline WalkCut CutBefore(const ResourceTree& tree, std::size_t position) {
    std::size_t low = 0;  // the last path whose range starts at or before `position`
    std::size_t high = tree.PathCount();
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        if (tree.PathAt(middle).firstValue <= position)
            low = middle;
        else
            high = middle;
    }
    const GroupPath& path = tree.PathAt(low);
    const std::size_t offset = position - path.firstValue;
    if (offset >= path.valueCount) return {low + 1, 0};
    return {low, static_cast<std::uint32_t>(offset)};
}

// Visits every group of a finished tree depth first, children in name order:
//   visitor.Enter(group, depth)    on arriving, before anything inside it
//   visitor.Entries(group, depth)  the group's entries, in one or (when a
//                                  piece ends among them) several ranges
//   visitor.Leave(group, depth)    after its children
// The root has depth 0 and an empty name. A group that holds only groups gets
// no Entries call.
//   Menu.Open=..., Menu.Sub.Save=...  ->  Enter(root,0) Enter(Menu,1)
//   Entries(Menu{Open},1) Enter(Sub,2) Entries(Sub{Save},2) Leave(Sub,2)
//   Leave(Menu,1) Leave(root,0)
// A piece that starts after the beginning first calls
//   visitor.Reopen(group, depth)
// for the root and every group open at its start, outermost first, in place
// of the Enter calls an earlier piece made.
//
// The tree's paths come in this very order, so the walk only compares each
// path with the groups still open: those it shares stay open, the rest are
// left, and its own further segments entered, the last with its entries. It
// keeps its own list of open groups, so nesting depth costs heap rather than
// call stack.
template <typename Visitor>
void WalkGroups(const ResourceTree& tree, Visitor& visitor, WalkCut from, WalkCut to) {
    const WideStringView root;
    std::vector<WideStringView> open;  // outermost first; the root is not among them
    const auto enterSegments = [&](WideStringView units, std::size_t start, bool reopen) {
        while (start <= units.size()) {
            const std::size_t dot = units.find(u'.', start);
            const std::size_t end = dot == WideStringView::npos ? units.size() : dot;
            open.push_back(units.substr(start, end - start));
            if (reopen)
                visitor.Reopen(ResourceNode{open.back()}, open.size());
            else
                visitor.Enter(ResourceNode{open.back()}, open.size());
            start = end + 1;
        }
    };

    if (from == WalkCut{}) {
        visitor.Enter(ResourceNode{root}, std::size_t{0});
    } else {
        visitor.Reopen(ResourceNode{root}, std::size_t{0});
        // The groups open at the cut are those of the last path entered.
        const std::size_t entered = from.offset > 0 ? from.rank : from.rank - 1;
        if (entered > 0) enterSegments(tree.PathAt(entered).Units(), 0, true);
    }
    for (std::size_t rank = from.rank; rank < to.rank || (rank == to.rank && to.offset > 0); ++rank) {
        const GroupPath& path = tree.PathAt(rank);
        std::uint32_t first = 0;
        if (rank == from.rank && from.offset > 0) {
            first = from.offset;
        } else if (rank > 0) {
            const WideStringView units = path.Units();
            std::size_t shared = 0;  // leading segments already open
            std::size_t start = 0;   // the first segment not among them
            for (;;) {
                const std::size_t dot = units.find(u'.', start);
                const std::size_t end = dot == WideStringView::npos ? units.size() : dot;
                if (shared == open.size() || open[shared] != units.substr(start, end - start)) break;
                ++shared;
                start = end + 1;
                if (end == units.size()) break;
            }
            for (; open.size() > shared; open.pop_back()) visitor.Leave(ResourceNode{open.back()}, open.size());
            enterSegments(units, start, false);
        }
        const std::uint32_t last = rank == to.rank ? to.offset : path.valueCount;
        if (last > first)
            visitor.Entries(ResourceNode{open.empty() ? root : open.back(), path.firstValue + first, last - first},
                            open.size());
    }
    if (to == WalkEnd(tree)) {
        for (; !open.empty(); open.pop_back()) visitor.Leave(ResourceNode{open.back()}, open.size());
        visitor.Leave(ResourceNode{root}, std::size_t{0});
    }
}

template <typename Visitor>
void WalkGroups(const ResourceTree& tree, Visitor& visitor) {
    WalkGroups(tree, visitor, WalkCut{}, WalkEnd(tree));
}

}  // namespace textresgen
