#pragma once

#include "emit/walk_pieces.h"
#include "model/resource_tree.h"
#include "text/utf16_writer.h"

namespace textresgen {

// Writes the header: the include-guarded structure TextResource with one
// member of type S per entry, then one nested structure per group, each set
// in name order, indented by one tab per level.
//   #ifndef _TextResource_
//   #define _TextResource_
//
//   struct TextResource
//   {
//   	typedef const wchar_t* S;
//
//   	S Title;
//
//   	struct _Menu
//   	{
//   		S Open;
//   	} Menu;
//   };
//
//   #endif
// A large tree is written in pieces on several threads (emit/walk_pieces.h).
void WriteHeader(const ResourceTree& tree, Utf16Writer& file, const PieceOptions& pieces = {});

}  // namespace textresgen
