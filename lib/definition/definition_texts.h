#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "definition/definition_file.h"
#include "text/arena.h"
#include "text/wide_string.h"

namespace textresgen {

// Every name a definition file defines, with the definition the generator
// keeps (the last), in the order of the names' first definitions. The
// companion tools that compare or export texts by name look them up here.
class DefinitionTexts {
public:
    struct Entry {
        WideStringView name;
        WideStringView text;        // of the last definition
        std::size_t firstLine = 0;
        std::size_t lastLine = 0;   // the definition whose text the generator keeps
    };

    DefinitionTexts() = default;
    DefinitionTexts(DefinitionTexts&&) = default;
    DefinitionTexts& operator=(DefinitionTexts&&) = default;

    // Records the definition on `line` (an entry); returns the index of its
    // name's entry, and whether this is the name's first definition.
    std::size_t Add(const NumberedLine& line, bool& first);
    // The entry of `name`; null when the file does not define it.
    const Entry* Find(WideStringView name) const;
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    Arena<char16_t> units_;  // the names and texts the entries show
    std::vector<Entry> entries_;
    std::unordered_map<WideStringView, std::size_t> byName_;
};

// Reads every line of an opened file into `texts`; false when a read error
// stopped it (the reader's Problem() says where).
bool ReadDefinitionTexts(DefinitionFileReader& reader, DefinitionTexts& texts);

}  // namespace textresgen
