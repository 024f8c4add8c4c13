#pragma once

#include "model/resource_tree.h"
#include "text/utf16_reader.h"
#include "text/wide_string.h"

namespace textresgen {

// Applies one line of a definition file to the tree: "a.b.c=text" sets entry
// c of group b of group a (see SplitDefinitionLine for the line rules). A
// line without "=" is ignored.
void AddDefinitionLine(ResourceTree& tree, WideStringView line);

// Reads every line of `input` into the tree and finishes it. With two
// threads or more, a large file is read and its lines cut on a second thread
// while this one fills the tree, and Finish shares its sorting among
// `threads`. False when a read error stopped the reading early.
bool ReadDefinitions(Utf16Reader& input, ResourceTree& tree, unsigned threads = 1);

}  // namespace textresgen
