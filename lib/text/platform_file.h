#pragma once

#include <cstdint>
#include <memory>

#include "text/byte_stream.h"

namespace textresgen {

// Opens an existing file for reading, the path passed exactly as written.
// While it is open other processes may read the file but not write it.
// Returns null when the file cannot be opened.
std::unique_ptr<ByteSource> OpenFileSource(const char* path);

// Like OpenFileSource, but only for a regular file: a FIFO, a socket, a
// device or a folder is refused (null, FileProblem::NotRegular) at once,
// without waiting for a writer. Every input a program reads by name is
// opened here.
std::unique_ptr<ByteSource> OpenRegularFileSource(const char* path);

// The same, bounded: a file larger than `limit` bytes is refused (null,
// FileProblem::TooLarge) before anything is read, its size put in `size`;
// one that grows past the limit while it is read fails to read on (Error).
std::unique_ptr<ByteSource> OpenRegularFileSource(const char* path, std::uint64_t limit, std::uint64_t& size);

// The bound of a definition file, a generated header or any other text a
// program reads whole: far beyond any real one (a million lines make about
// 60 MiB), and it keeps /dev/zero-like growth from taking all memory.
inline constexpr std::uint64_t kMaxTextFileBytes = std::uint64_t{1} << 30;

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
// The temporary file is always created new: a leftover of a killed run at
// its name (a regular file with no other name that no run holds) is removed
// first; anything else there (a hard link to another file, a link, a
// folder) is refused and left as it is, as another file's bytes.
//
// Refused (null), with nothing changed, when the destination is not a
// regular file (a folder, a FIFO, a socket, a device), when it exists but
// is read-only (no write bit, for root too) or another writer holds it, or
// when its folder does not let the temporary file be created. A link is followed: its
// final target is replaced, in the target's folder, and the link stays. While
// the sink is open no other process may open the destination for writing.
std::unique_ptr<ByteSink> CreateReplacingFileSink(const char* path);

// The temporary file's suffix: "textresouce.cpp" is written as
// "textresouce.cpp.textresgen-tmp" in the same folder.
inline constexpr const char* kTemporarySuffix = ".textresgen-tmp";

}  // namespace textresgen
