#pragma once

#include <cstddef>

#include "text/wide_string.h"

// The rules of one definition line, shared by the generator and the checker.
// Nothing here knows the resource tree.
namespace textresgen {

// One line of a definition file, cut by the line rules: the line ends at its
// first U+0000; only the first "=" separates; the text ends at the first CR,
// then at the first LF; nothing is trimmed.
//   "Menu.Open=Open file\r\n"  ->  name "Menu.Open", text "Open file"
//   "no equals sign"           ->  not an entry (the generator ignores it)
struct DefinitionLine {
    bool isEntry = false;  // false for a line without "=", which is ignored
    WideStringView name;   // dotted name, segments possibly empty
    WideStringView text;
};
DefinitionLine SplitDefinitionLine(WideStringView line);

// Walks a dotted name: calls enterGroup(segment, end) for every segment
// before a ".", where `end` is the offset of that "." in `name`, and returns
// the last segment, the entry's own name. Segments may be empty.
//   "Menu.Sub.Open"  ->  enterGroup("Menu", 4), enterGroup("Sub", 8), returns "Open"
//   "Open"           ->  returns "Open"
template <typename EnterGroup>
WideStringView WalkDottedName(WideStringView name, EnterGroup&& enterGroup) {
    std::size_t start = 0;
    for (std::size_t dot; (dot = name.find(u'.', start)) != WideStringView::npos; start = dot + 1)
        enterGroup(name.substr(start, dot - start), dot);
    return name.substr(start);
}

}  // namespace textresgen
