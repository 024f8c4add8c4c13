#pragma once

#include <cstddef>
#include <string_view>

// Positions in the bytes of an XML document, found by reading its tags
// rather than a tree: where update makes its edits, and where a document is
// cut into units. `lt` is always the position of a tag's '<'.
namespace textresl10n::xliff {

bool IsXmlSpace(char c);

// The position of the '<' that starts the element whose name is at `offset`.
std::size_t ElementStart(std::string_view bytes, std::ptrdiff_t offset);
// The position after the '>' of the tag starting at `lt`.
std::size_t TagEnd(std::string_view bytes, std::size_t lt);
bool SelfClosing(std::string_view bytes, std::size_t tagEnd);
// The position after `end`, searched from `from`; npos when it is missing.
std::size_t Past(std::string_view bytes, std::size_t from, std::string_view end);
// The position after the element starting at `lt`: after its end tag; npos
// when the bytes end before it.
std::size_t MatchingEnd(std::string_view bytes, std::size_t lt);
// The same in a document pugixml has read as well-formed.
std::size_t ElementEnd(std::string_view bytes, std::size_t lt);
// The position where the blanks before `at` begin.
std::size_t BlanksBefore(std::string_view bytes, std::size_t at);

// An attribute of the start tag at `lt`: from the blank before its name to
// its closing quote, and its value. found is false when the tag has none.
struct AttributeSpan {
    bool found = false;
    std::size_t begin = 0;
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
};
AttributeSpan FindAttribute(std::string_view bytes, std::size_t lt, std::string_view name);
// Where an attribute is added to the start tag at `lt`: before its '>' or '/>'.
std::size_t AttributeInsertion(std::string_view bytes, std::size_t lt);

}  // namespace textresl10n::xliff
