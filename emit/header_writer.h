#pragma once

#include "model/resource_tree.h"
#include "text/utf16_text_file.h"

namespace textresgen {

// Writes the include-guarded declaration of the structure TextResource: one
// member of type S per entry, then one nested structure per group, each set
// in name order, indented by one tab per level.
void WriteHeader(const ResourceTree& tree, Utf16TextFile& file);

}  // namespace textresgen
