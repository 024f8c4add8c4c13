#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "text/byte_stream.h"
#include "text/wide_string.h"

namespace textresgen {

// The groups and members of a generated textresouce.h, nested as declared.
// The structure is an array of `const wchar_t*`: a member's index is its
// place among all members in declaration order.
struct HeaderGroup {
    struct Member {
        WideString name;
        std::size_t index = 0;
        std::size_t place = 0;  // among the members and groups of its group, in order
    };
    WideString name;  // empty for TextResource itself
    std::size_t place = 0;
    std::vector<Member> members;
    std::vector<HeaderGroup> groups;
};

// Reads the generator's own fixed shape of textresouce.h (UTF-16LE): lines
// "struct _Name", "{", "S Name;", "} Name;" inside "struct TextResource".
// Nothing, with `error` set, for any other line or a read error.
std::optional<HeaderGroup> ReadHeaderMembers(std::unique_ptr<ByteSource> header, std::string& error);

}  // namespace textresgen
