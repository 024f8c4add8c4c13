// CLDR's plural rules as the companion tools need them for translators:
// which categories a language gives whole counts, and the same rules as
// gettext's Plural-Forms expression. Internal to textresgen (the public
// part is <textresgen/plural.h>).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace textresgen::plural {

// True for CLDR's six category names: zero one two few many other.
bool IsPluralCategory(std::string_view name);

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
