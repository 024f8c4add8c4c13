#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace textresgen::test {

// What Utf16Reader makes of some bytes.
struct ReadResult {
    bool opened = false;
    std::vector<std::u16string> lines;
    bool readFailed = false;
};

// Opens the bytes through Utf16Reader and reads every line, the bytes
// handed over in reads of at most `chunk` bytes.
ReadResult ReadAllLines(std::string_view bytes, std::size_t chunk = static_cast<std::size_t>(-1));

}  // namespace textresgen::test
