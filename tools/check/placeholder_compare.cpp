#include "check/placeholder_compare.h"

#include "check/message_text.h"
#include "codec/c_format.h"
#include "definition/definition_line.h"
#include "text/utf16_reader.h"

namespace textrescheck {
namespace {

using textresgen::WideString;
using textresgen::WideStringView;

// Calls keep(name, line, text) for the last definition of every name.
template <typename Keep>
bool ReadTexts(const std::string& path, Keep keep) {
    textresgen::Utf16Reader reader;
    if (!reader.Open(path.c_str())) return false;
    WideStringView line;
    std::size_t number = 0;
    while (reader.ReadLine(line)) {
        ++number;
        const textresgen::DefinitionLine definition = textresgen::SplitDefinitionLine(line);
        if (definition.isEntry) keep(definition.name, number, definition.text);
    }
    return !reader.ReadFailed();
}

}  // namespace

std::optional<PlaceholderReference> PlaceholderReference::Read(const std::string& path,
                                                                const std::unordered_set<WideString>& singleCountForms) {
    PlaceholderReference reference;
    reference.path_ = path;
    const bool read = ReadTexts(path, [&](WideStringView name, std::size_t line, WideStringView text) {
        textresgen::LiteralValues values;
        textresgen::LiteralProblem problem;
        if (text.find_first_of(u"%{\\") == WideStringView::npos || !textresgen::DecodeLiteralBody(text, values, problem) ||
            (values.find(U'%') == std::u32string::npos && values.find(U'{') == std::u32string::npos)) {
            reference.texts_.erase(WideString(name));  // a later definition replaces an earlier one
            return;
        }
        const bool singleCount = singleCountForms.count(WideString(name)) > 0;
        reference.texts_[WideString(name)] = {line, std::move(values), singleCount};
    });
    if (!read) return std::nullopt;
    return reference;
}

std::vector<Diagnostic> PlaceholderReference::Compare(const std::string& path) const {
    std::unordered_map<WideString, Text> texts;
    ReadTexts(path, [&](WideStringView name, std::size_t line, WideStringView text) {
        const auto found = texts_.find(WideString(name));
        if (found == texts_.end()) return;
        textresgen::LiteralValues values;
        textresgen::LiteralProblem problem;
        if (textresgen::DecodeLiteralBody(text, values, problem)) texts[WideString(name)] = {line, std::move(values)};
        else texts.erase(WideString(name));
    });
    std::vector<Diagnostic> findings;
    for (const auto& [name, text] : texts) {
        const Text& base = texts_.at(name);
        for (const std::string& problem : textresgen::ComparePlaceholders(base.values, text.values, base.singleCount)) {
            findings.push_back({text.line,
                                "text of " + Quoted(name) + ": " + problem + " (" + path_ + ":" +
                                    std::to_string(base.line) + "): printf reads the wrong arguments at run time"});
            findings.back().subject = Diagnostic::Subject::Text;
        }
    }
    return findings;
}

}  // namespace textrescheck
