#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

#include "l10n/exchange_unit.h"

// Making XLIFF markup: a unit's elements as this program writes them, in
// trees of pugixml's, printed to strings.
namespace textresl10n::xliff {

// The ids given to one placeholder code in a unit, and how many of them the
// text being written has used.
struct PlaceholderIds {
    std::vector<int> ids;
    std::size_t used = 0;
};
using PlaceholderMap = std::unordered_map<std::string, PlaceholderIds>;

// Starts the count for the next text of the same unit.
void NextText(PlaceholderMap& ids);
// Appends `utf8` to `element` as character data and <ph> elements: printf
// directives and {n} placeholders, and the characters XML cannot hold (as
// <ph ctype="x-char"> with their C++ escape). The k-th occurrence of a code
// in a translation takes the id of its k-th occurrence in the source.
void AppendInline(pugi::xml_node element, std::string_view utf8, PlaceholderMap& ids, int& nextId);
void AppendText(pugi::xml_node parent, const char* text);
// A developer note, on a line of its own.
void AppendNote(pugi::xml_node unit, const std::string& note);
// Whether a unit names its key, beside its resname, in po2xliff's
// "po-reference" context group, the one place xliff2po reads a key from.
// XLIFF's strict schema allows one context group of a name per <file>, so
// only units added to a file that already has them in that shape get one.
enum class KeyReference { None, PoReference };
// A complete trans-unit (a plural message: a group of them), indented as
// this program writes them, valid by XLIFF 1.2's strict schema without a
// key reference.
void FillUnit(pugi::xml_node unit, const ExchangeUnit& data, std::size_t forms,
              KeyReference reference = KeyReference::None);

// Appends what pugixml prints to a string.
class StringWriter final : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& out) : out_(out) {}
    void write(const void* data, size_t size) override { out_.append(static_cast<const char*>(data), size); }

private:
    std::string& out_;
};

// The markup of the children of `holder`, as pugixml writes them.
std::string ChildrenMarkup(const pugi::xml_node& holder);

}  // namespace textresl10n::xliff
