#pragma once

#include <cstddef>
#include <memory>

namespace textresgen {

// Where the bytes of a definition file come from: a file or, in tests, memory.
class ByteSource {
public:
    enum class Status { Data, End, Error };

    virtual ~ByteSource() = default;
    // Reads up to `capacity` bytes into `buffer`. Data: `count` bytes were
    // read (at least one). End: no more bytes. Error: the read failed.
    virtual Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) = 0;
};

// Where the bytes of a generated file go.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all `size` bytes; false when they could not be written.
    virtual bool Write(const unsigned char* data, std::size_t size) = 0;
    // Completes and closes the destination; false when that failed.
    virtual bool Close() = 0;
    // After Close: puts what was written in its place, where the sink writes
    // beside its destination first (CreateReplacingFileSink); false when that
    // failed. Other sinks have nothing to do.
    virtual bool Commit() { return true; }
    // Closes the destination and removes what was written, so that a
    // half-written file is never mistaken for a complete one. Also after a
    // Close that was not followed by a Commit.
    virtual void Discard() = 0;
    // The bytes written so far, read again from the first, so that a caller
    // can check an output too large to hold before it commits it; null for
    // a sink that cannot. Valid until the next Write, Close or Discard.
    virtual std::unique_ptr<ByteSource> WrittenBytes() { return nullptr; }
};

}  // namespace textresgen
