#pragma once

#include <cstddef>
#include <vector>

#include "model/resource_tree.h"

namespace textresgen {

// Visits every group of a finished tree depth first, children in name order:
//   visitor.Enter(group, depth)  on arriving, before the group's children
//   visitor.Leave(group, depth)  after them
// The root has depth 0. The walk keeps its own stack, so nesting depth costs
// heap rather than call stack.
//   Menu.Open=..., Menu.Sub.Save=...  ->  Enter(root,0) Enter(Menu,1)
//   Enter(Sub,2) Leave(Sub,2) Leave(Menu,1) Leave(root,0)
template <typename Visitor>
void WalkGroups(const ResourceTree& tree, Visitor& visitor) {
    struct Frame {
        const ResourceNode* group;
        std::uint32_t nextChild;
    };
    std::vector<Frame> stack{{&tree.Group(ResourceTree::kRoot), 0}};
    visitor.Enter(*stack.back().group, std::size_t{0});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const std::size_t depth = stack.size() - 1;
        if (frame.nextChild < frame.group->childCount) {
            const ResourceNode& child = tree.Group(tree.ChildAt(*frame.group, frame.nextChild++));
            stack.push_back({&child, 0});  // invalidates `frame`
            visitor.Enter(child, depth + 1);
            continue;
        }
        visitor.Leave(*frame.group, depth);
        stack.pop_back();
    }
}

}  // namespace textresgen
