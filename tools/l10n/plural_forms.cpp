#include "l10n/plural_forms.h"

#include "runtime/gettext_language.h"
#include "runtime/plural_rules.h"

namespace textresl10n {
namespace {

// Counts to find a sample of each category among: every small one, then
// the powers of ten (French "many" starts at a million).
std::vector<std::uint64_t> SampleCounts() {
    std::vector<std::uint64_t> counts;
    for (std::uint64_t n = 0; n <= 1000; ++n) counts.push_back(n);
    for (std::uint64_t n = 10000; n <= 1000000000000000000u; n *= 10) counts.push_back(n);
    return counts;
}

// The tag whose plural rules a file's language takes: a PO file's Language
// header may spell it as gettext does ("sr@latin", "pt_BR").
std::string RulesTag(std::string_view language) {
    std::string tag = textresgen::LanguageTagOfGettextName(language);
    return tag.empty() ? std::string(language) : tag;
}

}  // namespace

PluralFormula LanguageFormula(std::string_view language) {
    PluralFormula formula;
    std::string error;
    if (!formula.Parse(textresgen::plural::GettextPluralForms(RulesTag(language)), error))
        formula.Parse("nplurals=1; plural=0;", error);
    return formula;
}

bool FormsOfCategories(std::string_view name, const PluralFormula& file, CategoryForms& out, std::string& error) {
    const std::string language = RulesTag(name);
    out = CategoryForms();
    if (!file.CheckValues(error)) return false;
    for (const std::string_view category : textresgen::plural::IntegerCategories(language)) {
        out.categories.emplace_back(category);
        out.singleCount.push_back(textresgen::plural::TakesOneCount(language, category));
    }
    out.form.assign(out.categories.size(), kNoForm);
    const PluralFormula own = LanguageFormula(language);
    static const std::vector<std::uint64_t> kSamples = SampleCounts();
    std::vector<bool> sampled(out.categories.size(), false);
    std::size_t left = out.categories.size();
    for (const std::uint64_t n : kSamples) {
        if (left == 0) break;
        std::uint64_t category = 0, index = 0;
        if (!own.Evaluate(n, category) || category >= out.categories.size() || sampled[category]) continue;
        sampled[category] = true;
        --left;
        if (!file.Evaluate(n, index)) {
            error = "the plural formula divides by zero for n = " + std::to_string(n);
            return false;
        }
        if (index < file.Count()) out.form[category] = static_cast<std::size_t>(index);
    }
    return true;
}

bool FormTakesOneCount(const ExchangeUnit* unit, std::string_view category) {
    if (unit)
        for (const PluralForm& form : unit->forms)
            if (form.category == category) return form.singleCount;
    return textresgen::plural::TakesOneCount(std::nullopt, category);
}

void AssignForms(const CategoryForms& map, const std::vector<std::string>& fileForms,
                 const std::vector<std::size_t>& fileLines, ExchangeUnit& unit) {
    unit.forms.clear();
    for (std::size_t c = 0; c < map.categories.size(); ++c)
        unit.forms.push_back({map.categories[c], std::string(), unit.targetLine, map.singleCount[c]});
    std::size_t other = map.categories.size() - 1;  // the last integer category stands in for "other"
    for (std::size_t c = 0; c < map.categories.size(); ++c)
        if (map.categories[c] == "other") other = c;
    const auto formOf = [&](std::size_t c) { return map.form[c] < fileForms.size() ? map.form[c] : kNoForm; };
    for (std::size_t c = 0; c < map.categories.size(); ++c) {
        std::size_t form = formOf(c);
        if (form == kNoForm) form = formOf(other);
        if (form == kNoForm) continue;
        unit.forms[c].text = fileForms[form];
        if (form < fileLines.size()) unit.forms[c].line = fileLines[form];
    }
}

UnitState PluralState(const ExchangeUnit& unit, bool fuzzy) {
    for (const PluralForm& form : unit.forms)
        if (!form.text.empty()) return fuzzy ? UnitState::NeedsReview : UnitState::Translated;
    return UnitState::Untranslated;
}

bool HeaderField(std::string_view header, std::string_view name, std::string& value, std::size_t& lineIndex) {
    lineIndex = 0;
    for (std::size_t start = 0; start < header.size(); ++lineIndex) {
        std::size_t end = header.find('\n', start);
        if (end == std::string_view::npos) end = header.size();
        std::string_view line = header.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.substr(0, name.size()) != name || line.substr(name.size(), 1) != ":") continue;
        line.remove_prefix(name.size() + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
        value.assign(line);
        return true;
    }
    return false;
}

std::size_t FormCount(std::string_view language) {
    return language.empty() ? 2 : textresgen::plural::IntegerCategories(RulesTag(language)).size();
}

}  // namespace textresl10n
