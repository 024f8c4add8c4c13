#include "support/read_lines.h"

#include <memory>

#include "text/memory_bytes.h"
#include "text/utf16_reader.h"

namespace textresgen::test {

ReadResult ReadAllLines(std::string_view bytes, std::size_t chunk) {
    ReadResult result;
    Utf16Reader file;
    result.opened = file.Open(std::make_unique<MemorySource>(bytes, chunk));
    if (!result.opened) return result;
    WideStringView line;
    while (file.ReadLine(line)) result.lines.emplace_back(line);
    result.readFailed = file.ReadFailed();
    return result;
}

}  // namespace textresgen::test
