#include "emit/header_writer.h"

#include <vector>

namespace textresgen {
namespace {

void WriteIndent(Utf16TextFile& file, std::size_t depth) { file.PrintRepeated(u'\t', depth); }

// One line per entry, "\tS name;" after the indent, each assembled in `line`
// and written with one call.
void WriteMembers(const ResourceTree& tree, const ResourceNode& group, Utf16TextFile& file,
                  std::size_t depth, WideString& line) {
    if (group.valueCount == 0) return;
    line.assign(depth + 1, u'\t');
    line.append(u"S ");
    const std::size_t shared = line.size();
    for (std::uint32_t i = 0; i < group.valueCount; ++i) {
        line.append(tree.ValueAt(group, i).Name());
        line.push_back(u';');
        file.PrintLine(line);
        line.resize(shared);
    }
}

}  // namespace

// Depth-first over the groups with an explicit stack, so nesting depth costs
// heap, not call stack.
void WriteHeader(const ResourceTree& tree, Utf16TextFile& file) {
    const WideStringView type = ResourceTree::TypeName();
    const ResourceNode& root = tree.Group(ResourceTree::kRoot);
    file.Print("#ifndef _%s_\n#define _%s_\n\nstruct %s\n{\n", {type, type, type});
    file.Print("\ttypedef const wchar_t* S;\n\n");
    WideString line;
    WriteMembers(tree, root, file, 0, line);

    struct Frame {
        GroupId group;
        std::uint32_t nextChild;
    };
    std::vector<Frame> stack{{ResourceTree::kRoot, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const ResourceNode& group = tree.Group(frame.group);
        if (frame.nextChild < group.childCount) {
            const GroupId childId = tree.ChildAt(group, frame.nextChild++);
            const ResourceNode& child = tree.Group(childId);
            const std::size_t depth = stack.size();
            file.Print("\n");
            WriteIndent(file, depth);
            file.Print("struct _%s\n", {child.name});
            WriteIndent(file, depth);
            file.Print("{\n");
            WriteMembers(tree, child, file, depth, line);
            stack.push_back({childId, 0});
            continue;
        }
        const std::size_t depth = stack.size() - 1;
        WriteIndent(file, depth);
        if (depth == 0)
            file.Print("};\n\n#endif\n");
        else
            file.Print("} %s;\n", {group.name});
        stack.pop_back();
    }
}

}  // namespace textresgen
