#pragma once

#include <cstddef>
#include <functional>

#include "model/group_walk.h"
#include "text/utf16_writer.h"

namespace textresgen {

// How a large walk is cut into pieces and spread over threads.
struct PieceOptions {
    // Entry positions per piece (see CutBefore): a few hundred kilobytes of
    // output for the usual names and texts.
    std::size_t positionsPerPiece = 2048;
    // Threads formatting pieces, this one included; 0: ThreadsForThisMachine.
    // With one, the walk is formatted straight into the file.
    unsigned threads = 0;
    // Bytes a piece holds in memory. A piece that makes more (a few entries
    // can: every line of a deeply nested group starts with its depth in tabs)
    // waits until every piece before it is written and then writes straight
    // to the file, so memory stays bounded whatever the input.
    std::size_t heldBytes = std::size_t{4} << 20;
};

// Writes what `format(out, from, to)` makes for the walk from the start to
// the end of `tree` to `file`, byte for byte as one call over the whole walk
// would. A large tree is cut into pieces between entries, which this thread
// and helper threads format into memory (each piece through its own writer,
// opened with OpenContinuation) and write to `file` in order as they are
// finished. `format` is then called on several threads at once and may only
// read the tree. A small tree, or one core, is formatted here in one call.
// Throws what writing `file` or formatting threw, after every helper ended.
using FormatPiece = std::function<void(Utf16Writer& out, WalkCut from, WalkCut to)>;
void WriteWalkInPieces(const ResourceTree& tree, Utf16Writer& file, const FormatPiece& format,
                       const PieceOptions& options = {});

// The same with a WalkGroups visitor: a fresh `Printer(tree, out)` walks
// each piece.
template <typename Printer>
void PrintWalkInPieces(const ResourceTree& tree, Utf16Writer& file, const PieceOptions& options) {
    WriteWalkInPieces(
        tree, file,
        [&tree](Utf16Writer& out, WalkCut from, WalkCut to) {
            Printer printer(tree, out);
            WalkGroups(tree, printer, from, to);
        },
        options);
}

}  // namespace textresgen
