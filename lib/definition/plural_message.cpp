#include "definition/plural_message.h"

#include <string>

namespace textresgen {

std::size_t PluralCategoryOf(WideStringView member) {
    std::string ascii;
    for (const char16_t unit : member) {
        // Longer than any category name, or beyond ASCII: no category.
        if (ascii.size() == 5 || unit > 0x7F) return plural::kNoCategory;
        ascii += static_cast<char>(unit);
    }
    return plural::CategoryIndex(ascii);
}

std::size_t PluralGroupMembers::AddCategory(std::size_t category) {
    if (category == plural::kNoCategory) onlyCategories_ = false;
    else categories_ |= 1u << category;
    return category;
}

PluralGroupKind PluralGroupMembers::Kind(bool hasSubgroups) const {
    if (hasSubgroups || !onlyCategories_ || categories_ == 0) return PluralGroupKind::Ordinary;
    return Has(plural::kOtherCategory) ? PluralGroupKind::PluralMessage : PluralGroupKind::CategoriesWithoutOther;
}

}  // namespace textresgen
