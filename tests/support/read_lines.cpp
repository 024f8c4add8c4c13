#include "support/read_lines.h"

#include <memory>

#include "text/memory_bytes.h"
#include "text/utf16_text_file.h"

namespace textresgen::test {

ReadResult ReadAllLines(std::string_view bytes, std::size_t chunk) {
    ReadResult result;
    Utf16TextFile file;
    result.opened = file.OpenForRead(std::make_unique<MemorySource>(bytes, chunk));
    if (!result.opened) return result;
    WideStringView line;
    while (file.ReadLine(line)) result.lines.emplace_back(line);
    result.readFailed = file.ReadFailed();
    return result;
}

}  // namespace textresgen::test
