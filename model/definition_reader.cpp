#include "model/definition_reader.h"

#include "model/definition_line.h"

namespace textresgen {

void AddDefinitionLine(ResourceTree& tree, WideStringView line) {
    const DefinitionLine definition = SplitDefinitionLine(line);
    // The tree walks the dotted name itself, a batch of lines at a time, so
    // that the lookups of neighbouring lines overlap.
    if (definition.isEntry) tree.Define(definition.name, definition.text);
}

bool ReadDefinitions(Utf16Reader& input, ResourceTree& tree, unsigned threads) {
    WideStringView line;
    while (input.ReadLine(line)) AddDefinitionLine(tree, line);
    if (input.ReadFailed()) return false;
    tree.Finish(threads);
    return true;
}

}  // namespace textresgen
