#include "check/placeholder_compare.h"

#include "check/cli_names.h"
#include "cli/input_file.h"
#include "codec/c_format.h"
#include "definition/definition_texts.h"
#include "text/platform_file.h"

namespace textrescheck {
namespace {

using textresgen::WideString;
using textresgen::WideStringView;

// The definitions the generator keeps of the file at `path`; nothing when it
// cannot be read.
std::optional<textresgen::DefinitionTexts> ReadTexts(const std::string& path) {
    textresgen::DefinitionFileReader reader;
    textresgen::DefinitionTexts texts;
    std::string problem;
    if (!reader.Open(textresgen::cli::OpenInput(path, problem)) || !ReadDefinitionTexts(reader, texts))
        return std::nullopt;
    return texts;
}

}  // namespace

std::optional<PlaceholderReference> PlaceholderReference::Read(const std::string& path,
                                                                const std::unordered_set<WideString>& singleCountForms) {
    const std::optional<textresgen::DefinitionTexts> texts = ReadTexts(path);
    if (!texts) return std::nullopt;
    PlaceholderReference reference;
    reference.path_ = path;
    for (const textresgen::DefinitionTexts::Entry& entry : texts->Entries()) {
        textresgen::LiteralValues values;
        textresgen::LiteralProblem problem;
        // A text without '%' and '{' is kept empty: its translation may
        // still add directives.
        if (entry.text.find_first_of(u"%{\\") != WideStringView::npos) {
            if (!textresgen::DecodeLiteralBody(entry.text, values, problem)) continue;
            if (values.find(U'%') == std::u32string::npos && values.find(U'{') == std::u32string::npos) values.clear();
        }
        const WideString name(entry.name);
        const bool singleCount = singleCountForms.count(name) > 0;
        reference.texts_[name] = {entry.lastLine, std::move(values), singleCount};
    }
    return reference;
}

std::vector<Diagnostic> PlaceholderReference::Compare(const std::string& path) const {
    std::vector<std::pair<WideString, Text>> texts;
    if (const std::optional<textresgen::DefinitionTexts> read = ReadTexts(path)) {
        for (const textresgen::DefinitionTexts::Entry& entry : read->Entries()) {
            const WideString name(entry.name);
            const auto base = texts_.find(name);
            if (base == texts_.end()) continue;
            if (base->second.values.empty() && entry.text.find_first_of(u"%\\") == WideStringView::npos) continue;
            textresgen::LiteralValues values;
            textresgen::LiteralProblem problem;
            if (textresgen::DecodeLiteralBody(entry.text, values, problem))
                texts.push_back({name, {entry.lastLine, std::move(values)}});
        }
    }
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
