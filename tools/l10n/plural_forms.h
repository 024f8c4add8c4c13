#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "l10n/exchange_unit.h"
#include "l10n/plural_formula.h"

// The forms of a plural message as a file holds them (msgstr[0..n-1], one
// XLIFF trans-unit each) and the CLDR categories of the language they
// stand for.
namespace textresl10n {

// The formula CLDR's rules give the language (gettext's Plural-Forms value
// of the same rules, whose index i selects the i-th integer category).
PluralFormula LanguageFormula(std::string_view language);

// For each integer category of the language, in CLDR's order, the form a
// file's formula gives a count of that category: a sample count of the
// category (the smallest of 0..1000 and the powers of ten, under the
// language's own rules) evaluated by the file's formula. kNoForm where the
// file's formula names no form of its own for it (an index past nplurals).
// False with the reason for a formula msgfmt refuses (CheckValues) or one
// that divides by zero for a sample count.
inline constexpr std::size_t kNoForm = static_cast<std::size_t>(-1);
struct CategoryForms {
    std::vector<std::string> categories;
    std::vector<std::size_t> form;
    // Whether the category takes a single count in the language (en and ar
    // "one" take 1 alone; ru "one" takes 1, 21, 31 ...): only such a form may
    // leave out the count, as gettext's msgfmt -c allows.
    std::vector<bool> singleCount;
};
bool FormsOfCategories(std::string_view language, const PluralFormula& file, CategoryForms& out, std::string& error);

// Sets a plural unit's categories and forms from the file's forms (in the
// file's order, with their lines). A category without a form of its own in
// the file (a French file of two forms has none for "many") takes the form
// of "other", or of the language's last integer category where "other" is
// none (ru: many).
void AssignForms(const CategoryForms& map, const std::vector<std::string>& fileForms,
                 const std::vector<std::size_t>& fileLines, ExchangeUnit& unit);

// Whether the unit's form of `category` stands for a single count in its
// language (set from textresgen::plural::TakesOneCount); without the
// language (no unit), TakesOneCount's rule for a file of unknown language.
bool FormTakesOneCount(const ExchangeUnit* unit, std::string_view category);

// The state of a plural unit from its forms: Untranslated when every form
// is empty, else Translated (an empty form is filled in at import).
UnitState PluralState(const ExchangeUnit& unit, bool fuzzy);

// The value of the field "Name: value" in a header's text (PO's header
// msgstr, po2xliff's header unit); the index of its line in `lineIndex`.
bool HeaderField(std::string_view header, std::string_view name, std::string& value, std::size_t& lineIndex);

// How many forms a new plural message gets in a file of the language:
// its number of integer categories; 2 (singular, plural) for a template.
std::size_t FormCount(std::string_view language);

}  // namespace textresl10n
