#pragma once

#include <memory>

#include "text/byte_stream.h"

namespace textresgen {

// Opens an existing file for reading, the path passed exactly as written.
// While it is open other processes may read the file but not write it.
// Returns null when the file cannot be opened.
std::unique_ptr<ByteSource> OpenFileSource(const char* path);

// Like OpenFileSource, but only for a regular file: a FIFO, a socket, a
// device or a folder is refused (null) at once, without waiting for a writer.
std::unique_ptr<ByteSource> OpenRegularFileSource(const char* path);

// Creates the file, or truncates it when it exists. While it is open no other
// process may open it. Returns null when it cannot be created or opened for
// writing; an existing file is then left as it was. It writes in place: a
// program's output goes through CreateReplacingFileSink instead.
std::unique_ptr<ByteSink> CreateFileSink(const char* path);

// Writes a file that replaces `path` whole or not at all. The bytes go to a
// temporary file beside the destination, named TemporaryNameFor(name); Close
// writes it out to the disk, Commit renames it over the destination, and
// Discard (or destroying the sink before Commit) removes it. A leftover of
// a run that was killed is taken over and replaced.
//
// Refused (null), with nothing changed, when the destination is not a
// regular file (a folder, a FIFO, a socket, a device), when it exists but
// may not be written (read-only) or another writer holds it, or when its
// folder does not let the temporary file be created. A link is followed: its
// final target is replaced, in the target's folder, and the link stays. While
// the sink is open no other process may open the destination for writing.
std::unique_ptr<ByteSink> CreateReplacingFileSink(const char* path);

// The temporary file's suffix: "textresouce.cpp" is written as
// "textresouce.cpp.textresgen-tmp" in the same folder.
inline constexpr const char* kTemporarySuffix = ".textresgen-tmp";

}  // namespace textresgen
