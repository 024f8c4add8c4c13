#pragma once

#include <cstddef>
#include <vector>

#include "model/resource_tree.h"

namespace textresgen {

// Visits every group of a finished tree depth first, children in name order:
//   visitor.Enter(group, depth)  on arriving, before the group's children
//   visitor.Leave(group, depth)  after them
// The root has depth 0. A group that holds only groups comes with no entries.
//   Menu.Open=..., Menu.Sub.Save=...  ->  Enter(root,0) Enter(Menu,1)
//   Enter(Sub,2) Leave(Sub,2) Leave(Menu,1) Leave(root,0)
//
// The tree's paths come in this very order, so the walk only compares each
// path with the groups still open: those it shares stay open, the rest are
// left, and its own further segments entered, the last with its entries. It
// keeps its own list of open groups, so nesting depth costs heap rather than
// call stack.
template <typename Visitor>
void WalkGroups(const ResourceTree& tree, Visitor& visitor) {
    const GroupPath& rootPath = tree.PathAt(0);
    visitor.Enter(ResourceNode{{}, rootPath.firstValue, rootPath.valueCount}, std::size_t{0});
    std::vector<WideStringView> open;  // outermost first; the root is not among them
    for (std::size_t rank = 1; rank < tree.PathCount(); ++rank) {
        const GroupPath& path = tree.PathAt(rank);
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
        while (start <= units.size()) {
            const std::size_t dot = units.find(u'.', start);
            const bool last = dot == WideStringView::npos;
            const std::size_t end = last ? units.size() : dot;
            open.push_back(units.substr(start, end - start));
            visitor.Enter(last ? ResourceNode{open.back(), path.firstValue, path.valueCount} : ResourceNode{open.back()},
                          open.size());
            start = end + 1;
        }
    }
    for (; !open.empty(); open.pop_back()) visitor.Leave(ResourceNode{open.back()}, open.size());
    visitor.Leave(ResourceNode{{}, rootPath.firstValue, rootPath.valueCount}, std::size_t{0});
}

}  // namespace textresgen
