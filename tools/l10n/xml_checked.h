#pragma once

#include <cstddef>
#include <new>

#include <pugixml.hpp>

// pugixml says that memory ran out only by what it returns: an empty node or
// attribute, false from set_name/set_value, status_out_of_memory from a
// parse. Unchecked, the markup made would silently lack what it could not
// hold. Every tree textresl10n builds or parses goes through these, which
// turn that into std::bad_alloc, the failure every program reports as
// "out of memory" (cli/out_of_memory.h). pugixml's allocator is left as it
// is: pugixml is not written for an allocator that throws.
namespace textresl10n::xliff {

inline void Allocated(bool made) {
    if (!made) throw std::bad_alloc();
}

// A new last child element of `parent`.
inline pugi::xml_node NewChild(pugi::xml_node parent, const char* name) {
    pugi::xml_node child = parent.append_child(name);
    Allocated(child);
    return child;
}

// A new last child of `parent` of that type (character data, a processing
// instruction, ...).
inline pugi::xml_node NewChild(pugi::xml_node parent, pugi::xml_node_type type) {
    pugi::xml_node child = parent.append_child(type);
    Allocated(child);
    return child;
}

inline void SetName(pugi::xml_node node, const char* name) { Allocated(node.set_name(name)); }
inline void SetValue(pugi::xml_node node, const char* value) { Allocated(node.set_value(value)); }

// A new attribute at the end of the element's.
template <typename Value>
void AddAttribute(pugi::xml_node element, const char* name, Value value) {
    pugi::xml_attribute attribute = element.append_attribute(name);
    Allocated(attribute && attribute.set_value(value));
}

// load_buffer, with memory running out thrown rather than reported as a
// document pugixml could not read.
inline pugi::xml_parse_result LoadChecked(pugi::xml_document& tree, const void* bytes, std::size_t size,
                                          unsigned options) {
    const pugi::xml_parse_result result = tree.load_buffer(bytes, size, options, pugi::encoding_utf8);
    Allocated(result.status != pugi::status_out_of_memory);
    return result;
}

}  // namespace textresl10n::xliff
