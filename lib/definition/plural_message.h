#pragma once

#include <cstddef>
#include <string_view>

#include "runtime/plural_rules.h"
#include "text/wide_string.h"

// Which group of a definition file is a plural message: the one rule that
// textrescheck, textresgen-plurals and textresl10n share, so that a group
// is the same thing to all of them.
namespace textresgen {

// The index in plural::kCategoryNames of a member's name (the part after
// its group's dot), else plural::kNoCategory.
std::size_t PluralCategoryOf(WideStringView member);

// What a group is to plural messages.
enum class PluralGroupKind {
    // A member not named after a category, a subgroup, or no member.
    Ordinary,
    // Members named after categories only, but no `other` (Numbers.one,
    // Numbers.two): no plural message, its members are ordinary ones. A
    // file written before plural messages may hold such a group, so it is
    // a warning, not an error.
    CategoriesWithoutOther,
    // A plural message: a group without subgroups whose members are all
    // named after CLDR's plural categories (zero one two few many other),
    // `other` among them, the form its missing categories are filled from.
    PluralMessage,
};

// The member names of one group, gathered one by one, and the kind of
// group they make.
class PluralGroupMembers {
public:
    // A member of the group by its own name (UTF-16 as read, or UTF-8);
    // returns its category (plural::kNoCategory: none).
    std::size_t Add(WideStringView member) { return AddCategory(PluralCategoryOf(member)); }
    std::size_t Add(std::string_view member) { return AddCategory(plural::CategoryIndex(member)); }

    // Whether a member is named plural::kCategoryNames[category].
    bool Has(std::size_t category) const { return (categories_ >> category) & 1u; }

    PluralGroupKind Kind(bool hasSubgroups) const;

private:
    std::size_t AddCategory(std::size_t category);

    unsigned categories_ = 0;  // bit i: a member named kCategoryNames[i]
    bool onlyCategories_ = true;
};

}  // namespace textresgen
