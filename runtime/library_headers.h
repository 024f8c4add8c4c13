// The headers of a candidate language library, read before the system's
// loader sees the file: a file cut short, or built for another machine, is
// refused here with a reason, where the loader would crash (a segment
// mapped past the end of the file) or say something misleading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace textresgen::detail {

// Reads `size` bytes at `offset` of the file into `into`; false when it cannot.
using ReadAt = std::function<bool(std::uint64_t offset, void* into, std::size_t size)>;

// "" when the ELF headers of a file of `fileSize` bytes describe a shared
// library for the machine of the ELF image whose header is at `own` (the
// running program's, as mapped in memory) and every part the loader maps
// (each PT_LOAD segment's file part) and the section header table lie
// within the file; else why not.
std::string CheckElfHeaders(const ReadAt& read, std::uint64_t fileSize, const unsigned char* own);

// The same for a PE file (a DLL): the machine of the image at `own`, and
// each section's raw data within the file.
std::string CheckPeHeaders(const ReadAt& read, std::uint64_t fileSize, const unsigned char* own);

}  // namespace textresgen::detail
