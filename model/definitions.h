#pragma once

#include "model/resource_tree.h"
#include "text/utf16_text_file.h"
#include "text/wide_string.h"

namespace textresgen {

// One line of a definition file, cut by the line rules: the line ends at its
// first U+0000; only the first "=" separates; the text ends at the first CR,
// then at the first LF; nothing is trimmed.
struct DefinitionLine {
    bool isEntry = false;  // false for a line without "=", which is ignored
    WideStringView name;   // dotted name, segments possibly empty
    WideStringView text;
};
DefinitionLine SplitDefinitionLine(WideStringView line);

// Applies one line of a definition file to the tree. A line "a.b.c=text"
// (ending at its first U+0000) sets entry c of group b of group a; only the
// first "=" separates, the text ends at the first CR or LF, segments may be
// empty and nothing is trimmed. A line without "=" is ignored.
void AddDefinitionLine(ResourceTree& tree, WideStringView line);

// Reads every line of `input` into the tree and finishes it. False when a
// read error stopped the reading early.
bool ReadDefinitions(Utf16TextFile& input, ResourceTree& tree);

}  // namespace textresgen
