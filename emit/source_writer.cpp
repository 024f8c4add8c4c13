#include "emit/source_writer.h"

#include <vector>

namespace textresgen {

// Depth-first pre-order with an explicit stack; `prefix` holds the member
// path of the current group ("Menu.Sub.") and is cut back on the way up.
void WriteSource(const ResourceTree& tree, Utf16TextFile& file) {
    file.Print("\nextern \"C\" __declspec(dllexport) void InitString(%s& t)\n{\n", {ResourceTree::TypeName()});

    WideString prefix;
    struct Frame {
        GroupId group;
        std::uint32_t nextChild;
        std::size_t prefixLength;  // the parent's prefix length, restored on leaving
    };
    std::vector<Frame> stack{{ResourceTree::kRoot, 0, 0}};
    bool entering = true;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const ResourceNode& group = tree.Group(frame.group);
        if (entering) {
            for (std::uint32_t i = 0; i < group.valueCount; ++i) {
                const ResourceEntry& entry = tree.ValueAt(group, i);
                file.Print("\tt.%s%s = L\"", {prefix, entry.Name()});
                if (entry.TextIsNarrow())
                    file.PrintNarrowText(entry.NarrowText(), entry.TextLength());
                else
                    file.PrintText(entry.WideText());
                file.Print("\";\n");
            }
        }
        if (frame.nextChild < group.childCount) {
            const GroupId childId = tree.ChildAt(group, frame.nextChild++);
            const std::size_t length = prefix.size();
            prefix.append(tree.Group(childId).name);
            prefix.push_back(u'.');
            stack.push_back({childId, 0, length});
            entering = true;
            continue;
        }
        prefix.resize(frame.prefixLength);
        stack.pop_back();
        entering = false;
    }
    file.Print("}\n");
}

}  // namespace textresgen
