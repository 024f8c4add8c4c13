#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/definition_index.h"
#include "check/cli_names.h"

namespace textrescheck {

// A group without subgroups whose members are all named after CLDR's
// plural categories (zero one two few many other), e.g. Files.Deleted.one
// and Files.Deleted.other: a plural message when `other` is among them
// (textresgen::PluralGroupMembers decides), else a group the file check
// warns about.
struct PluralGroup {
    struct Member {
        std::string_view category;  // one of plural::kCategoryNames
        std::size_t line;           // of the definition whose text the generator keeps
    };
    DefinitionIndex::GroupId group;
    std::size_t line;              // where the group first appears
    std::vector<Member> members;   // by name
    bool isMessage = false;        // PluralGroupKind::PluralMessage
    const Member* Find(std::string_view category) const;
};

// The groups of category names of a file, plural messages or not, in the
// order of their lines.
std::vector<PluralGroup> FindPluralGroups(const DefinitionIndex& index);

// Whether a member name is one of the six categories.
bool IsCategoryName(WideStringView name);

// A warning for each plural message that lacks a category
// which whole counts take in one of `languages` (CLDR's integer categories):
// those counts then show the text of `other`. At the group's line.
std::vector<Diagnostic> CheckPluralLanguages(const DefinitionIndex& index, const std::vector<std::string>& languages);

// The tags of a --languages value, "en,ru,pt-BR" (gettext's pt_BR and
// sr@latin read as pt-BR and sr-Latn); nothing and the reason (UTF-8) when
// one of them is no language tag.
std::optional<std::vector<std::string>> ParseLanguageList(const std::string& value, std::string& problem);

}  // namespace textrescheck
