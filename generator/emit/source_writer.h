#pragma once

#include "emit/walk_pieces.h"
#include "model/resource_tree.h"
#include "text/utf16_writer.h"

namespace textresgen {

// Writes the source: the include of the header and the exported function
// InitString, which assigns every entry's text, as a wide literal copied
// unchanged, to its member path; entries in the header's member order.
//   #include "textresouce.h"
//
//
//   extern "C" __declspec(dllexport) void InitString(TextResource& t)
//   {
//   	t.Title = L"Notes";
//   	t.Menu.Open = L"Open";
//   }
// A large tree is written in pieces on several threads (emit/walk_pieces.h).
void WriteSource(const ResourceTree& tree, Utf16Writer& file, const PieceOptions& pieces = {});

}  // namespace textresgen
