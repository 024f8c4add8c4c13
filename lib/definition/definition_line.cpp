#include "definition/definition_line.h"

namespace textresgen {
namespace {

// Index of the first unit of `line`, from `from` on, that is one of the
// `stops`; the line's size when there is none. One pass instead of a search
// per stop unit.
template <char16_t... stops>
std::size_t FindFirstOf(WideStringView line, std::size_t from) {
    const char16_t* units = line.data();
    std::size_t i = from;
    while (i < line.size() && ((units[i] != stops) && ...)) ++i;
    return i;
}

}  // namespace

// The line ends at its first U+0000, so the name ends at the first "=" only
// when no U+0000 comes before it, and the text ends at the first U+0000, CR
// or LF after the "=".
DefinitionLine SplitDefinitionLine(WideStringView line) {
    const std::size_t equals = FindFirstOf<u'=', u'\0'>(line, 0);
    if (equals == line.size() || line[equals] != u'=') return {};
    const std::size_t textEnd = FindFirstOf<u'\r', u'\n', u'\0'>(line, equals + 1);
    return {true, line.substr(0, equals), line.substr(equals + 1, textEnd - equals - 1)};
}

}  // namespace textresgen
