#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "text/byte_stream.h"

namespace textresgen {

// The fingerprint of a layout: kLayoutFingerprintPrefix, then the 64-bit
// FNV-1a hash of the bytes of textresouce.h exactly as the generator wrote
// them (UTF-16LE, mark included), in 16 lowercase hex digits. The header
// holds only the names and their nesting, in order, so every language built
// from one layout gets the same fingerprint, whatever its texts and whichever
// platform built it; the run-time Catalog compares the one stamped into a
// language library with the one the application was compiled with.
inline constexpr char kLayoutFingerprintPrefix[] = "textresgen-layout-1:";

// A header larger than this is refused: generated headers of millions of
// names stay far below it, and it bounds what a hostile file can make us read.
inline constexpr std::uint64_t kMaxLayoutHeaderBytes = std::uint64_t{1} << 30;

// The names of the two files written beside each other.
inline constexpr char kLayoutHeaderName[] = "textresouce_layout.h";
inline constexpr char kLayoutSourceName[] = "textresouce_layout.cpp";

// 64-bit FNV-1a, fed in pieces.
class LayoutHash {
public:
    void Add(const unsigned char* bytes, std::size_t size);
    std::uint64_t Value() const { return value_; }

private:
    std::uint64_t value_ = 0xcbf29ce484222325u;
};

// kLayoutFingerprintPrefix followed by `hash` in 16 lowercase hex digits.
std::string LayoutFingerprint(std::uint64_t hash);

// The ASCII text of textresouce_layout.h (for the application, beside
// textresouce.h) and of textresouce_layout.cpp (compiled into each language
// library, where it exports TextResGenLayout).
// With `withMessages` the header also includes textresouce_messages.h.
std::string LayoutHeaderText(const std::string& fingerprint, bool withMessages = false);
std::string LayoutSourceText(const std::string& fingerprint);

// Reads a generated header to its end. Returns the fingerprint, or nothing
// with `error` set (a message fragment: "does not start with ...") when the
// bytes cannot be a generated UTF-16LE header or reading fails.
std::optional<std::string> ReadLayoutFingerprint(ByteSource& header, std::string& error);

// What went wrong: the file concerned and why.
struct LayoutFailure {
    std::string file;
    std::string what;
};

// Reads `header` and writes kLayoutHeaderName and kLayoutSourceName into
// `folder`; with a `definition` (the base's definition file, from which
// `header` was generated) also kMessagesHeaderName, which the layout header
// then includes. Each file is replaced whole or not at all by the one
// replacing sink (CreateReplacingFileSink): a link's target is replaced, the
// file's mode kept, a file another program holds refused.
std::optional<LayoutFailure> WriteLayoutFiles(const std::string& header, const std::string& folder,
                                              const std::string& definition = "");

}  // namespace textresgen
