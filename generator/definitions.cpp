#include "generator/definitions.h"

namespace textresgen {

DefinitionLine SplitDefinitionLine(WideStringView line) {
    line = line.substr(0, line.find(u'\0'));
    const std::size_t equals = line.find(u'=');
    if (equals == WideStringView::npos) return {};
    WideStringView text = line.substr(equals + 1);
    text = text.substr(0, text.find(u'\r'));
    text = text.substr(0, text.find(u'\n'));
    return {true, line.substr(0, equals), text};
}

void AddDefinitionLine(ResourceTree& tree, WideStringView line) {
    const DefinitionLine definition = SplitDefinitionLine(line);
    if (!definition.isEntry) return;
    const WideStringView name = definition.name;

    GroupId group = ResourceTree::kRoot;
    std::size_t start = 0;
    for (std::size_t dot; (dot = name.find(u'.', start)) != WideStringView::npos; start = dot + 1)
        group = tree.Child(group, name.substr(start, dot - start));
    tree.Value(group, name.substr(start), definition.text);
}

bool ReadDefinitions(Utf16TextFile& input, ResourceTree& tree) {
    WideStringView line;
    while (input.ReadLine(line)) AddDefinitionLine(tree, line);
    if (input.ReadFailed()) return false;
    tree.Finish();
    return true;
}

}  // namespace textresgen
