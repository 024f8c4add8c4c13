#include "model/definition_reader.h"

#include "model/definition_line.h"

namespace textresgen {

void AddDefinitionLine(ResourceTree& tree, WideStringView line) {
    const DefinitionLine definition = SplitDefinitionLine(line);
    if (!definition.isEntry) return;
    GroupId group = ResourceTree::kRoot;
    const WideStringView entry =
        WalkDottedName(definition.name, [&](WideStringView segment, std::size_t) { group = tree.Child(group, segment); });
    tree.Value(group, entry, definition.text);
}

bool ReadDefinitions(Utf16Reader& input, ResourceTree& tree) {
    WideStringView line;
    while (input.ReadLine(line)) AddDefinitionLine(tree, line);
    if (input.ReadFailed()) return false;
    tree.Finish();
    return true;
}

}  // namespace textresgen
