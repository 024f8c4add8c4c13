#pragma once

#include <memory>

#include "text/byte_stream.h"

namespace textresgen {

// Opens an existing file for reading, the path passed exactly as written.
// While it is open other processes may read the file but not write it.
// Returns null when the file cannot be opened.
std::unique_ptr<ByteSource> OpenFileSource(const char* path);

// Creates the file, or truncates it when it exists. While it is open no other
// process may open it. Returns null when it cannot be created or opened for
// writing; an existing file is then left as it was.
std::unique_ptr<ByteSink> CreateFileSink(const char* path);

// Renames the file `from` to `to`, replacing a file already at `to` in one
// step: whoever opens `to` finds either the old file or the new one, never a
// part of either. Both must be on one volume. False when it failed; both
// files are then as they were.
bool RenameOver(const char* from, const char* to);

}  // namespace textresgen
