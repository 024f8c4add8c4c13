#include "emit/source_writer.h"

#include <vector>

namespace textresgen {

namespace {

// Writes the entry's text, however it is stored.
void PrintEntryText(Utf16TextFile& file, const ResourceEntry& entry) {
    if (entry.TextIsNarrow())
        file.PrintNarrowText(entry.NarrowText(), entry.TextLength());
    else
        file.PrintText(entry.WideText());
}

}  // namespace

// Depth-first pre-order with an explicit stack. `line` starts with the part
// every assignment of the current group shares, "\tt." and the member path
// ("Menu.Sub."), cut back on the way up; each assignment's start is
// assembled after it and written with one call.
void WriteSource(const ResourceTree& tree, Utf16TextFile& file) {
    file.Print("\nextern \"C\" __declspec(dllexport) void InitString(%s& t)\n{\n", {ResourceTree::TypeName()});

    WideString line = u"\tt.";
    struct Frame {
        GroupId group;
        std::uint32_t nextChild;
        std::size_t lineStart;  // the parent's length of `line`, restored on leaving
    };
    std::vector<Frame> stack{{ResourceTree::kRoot, 0, line.size()}};
    bool entering = true;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const ResourceNode& group = tree.Group(frame.group);
        if (entering) {
            const std::size_t shared = line.size();
            for (std::uint32_t i = 0; i < group.valueCount; ++i) {
                const ResourceEntry& entry = tree.ValueAt(group, i);
                line.append(entry.Name());
                line.append(u" = L\"");
                file.PrintText(line);
                PrintEntryText(file, entry);  // not copied into `line`: texts can be huge
                file.PrintLine(u"\";");
                line.resize(shared);
            }
        }
        if (frame.nextChild < group.childCount) {
            const GroupId childId = tree.ChildAt(group, frame.nextChild++);
            const std::size_t length = line.size();
            line.append(tree.Group(childId).name);
            line.push_back(u'.');
            stack.push_back({childId, 0, length});
            entering = true;
            continue;
        }
        line.resize(frame.lineStart);
        stack.pop_back();
        entering = false;
    }
    file.Print("}\n");
}

}  // namespace textresgen
