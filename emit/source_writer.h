#pragma once

#include "model/resource_tree.h"
#include "text/utf16_text_file.h"

namespace textresgen {

// Writes the exported function InitString, which assigns every entry's text,
// as a wide literal copied unchanged, to its member path; entries in the
// header's member order.
void WriteSource(const ResourceTree& tree, Utf16TextFile& file);

}  // namespace textresgen
