#include "definition/definition_texts.h"

namespace textresgen {

std::size_t DefinitionTexts::Add(const NumberedLine& line, bool& first) {
    const DefinitionLine& definition = line.definition;
    const auto found = byName_.find(definition.name);
    first = found == byName_.end();
    // A repeated name's text replaces the earlier one; the earlier units
    // stay in the arena, so only repeats pay for it.
    const WideStringView text = units_.Keep(definition.text);
    if (!first) {
        Entry& entry = entries_[found->second];
        entry.text = text;
        entry.lastLine = line.number;
        return found->second;
    }
    const WideStringView name = units_.Keep(definition.name);
    entries_.push_back({name, text, line.number, line.number});
    byName_.emplace(name, entries_.size() - 1);
    return entries_.size() - 1;
}

const DefinitionTexts::Entry* DefinitionTexts::Find(WideStringView name) const {
    const auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : &entries_[found->second];
}

bool ReadDefinitionTexts(DefinitionFileReader& reader, DefinitionTexts& texts) {
    NumberedLine line;
    bool first = false;
    while (reader.Next(line))
        if (line.definition.isEntry) texts.Add(line, first);
    return !reader.ReadFailed();
}

}  // namespace textresgen
