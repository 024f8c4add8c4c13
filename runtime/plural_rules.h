// CLDR's plural rules as the companion tools need them for translators:
// which categories a language gives whole counts, and the same rules as
// gettext's Plural-Forms expression. Internal to textresgen (the public
// part is <textresgen/plural.h>).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace textresgen::plural {

// CLDR's six plural categories, in CLDR's order: the order of each
// language's rules, of a language's integer categories, and the order in
// which a plural message's missing categories are added.
inline constexpr std::array<std::string_view, 6> kCategoryNames = {"zero", "one", "two", "few", "many", "other"};
// The index of `other` in kCategoryNames: every plural message has it.
inline constexpr std::size_t kOtherCategory = 5;
// What CategoryIndex gives for a name that is no category.
inline constexpr std::size_t kNoCategory = kCategoryNames.size();

// The index of a category name in kCategoryNames, else kNoCategory. Names
// are compared exactly: "One" and "other " are no categories.
constexpr std::size_t CategoryIndex(std::string_view name) {
    for (std::size_t i = 0; i < kCategoryNames.size(); ++i)
        if (kCategoryNames[i] == name) return i;
    return kNoCategory;
}

// True for CLDR's six category names: zero one two few many other.
constexpr bool IsPluralCategory(std::string_view name) { return CategoryIndex(name) != kNoCategory; }

// Whether the form of `category` stands for a single count, so that it may
// leave out the count (as gettext's msgfmt -c allows): in `language`, when
// the category holds exactly one whole count (en one: 1; ar zero, one and
// two; not ru one, which holds 1, 21, 31 ...); where the language is not
// known (std::nullopt: a definition file does not say its language), for
// `one` alone.
bool TakesOneCount(std::optional<std::string_view> language, std::string_view category);

// The categories that whole counts take in `language`, in CLDR's order
// (the rules that have @integer samples): ru -> one few many, fr -> one
// many other, ja -> other. The tag falls back as PluralCategory's does
// ('_' is read as '-'); root gives {"other"}.
std::vector<std::string_view> IntegerCategories(std::string_view language);

// gettext's header value for the same rules applied to whole counts:
// "nplurals=N; plural=EXPRESSION;", where the index EXPRESSION gives selects
// IntegerCategories(language)[index]. For whole counts the operands i and n
// are the count, and v w f t e c are 0.
std::string GettextPluralForms(std::string_view language);

// The tags that have rules of their own, sorted, lower case with '-'
// ("pt-pt"), root included.
std::vector<std::string_view> KnownLanguages();

}  // namespace textresgen::plural
