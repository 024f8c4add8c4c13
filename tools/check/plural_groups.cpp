#include "check/plural_groups.h"

#include <algorithm>

#include "check/cli_names.h"
#include "definition/plural_message.h"
#include "runtime/gettext_language.h"
#include "runtime/plural_rules.h"

namespace textrescheck {
namespace {

using GroupId = DefinitionIndex::GroupId;

std::string Listed(const std::vector<std::string_view>& categories) {
    std::string out;
    for (std::size_t i = 0; i < categories.size(); ++i) {
        if (i > 0) out += i + 1 == categories.size() ? " and " : ", ";
        out += "'" + std::string(categories[i]) + "'";
    }
    return out;
}

}  // namespace

const PluralGroup::Member* PluralGroup::Find(std::string_view category) const {
    for (const Member& member : members)
        if (member.category == category) return &member;
    return nullptr;
}

bool IsCategoryName(WideStringView name) {
    return textresgen::PluralCategoryOf(name) != textresgen::plural::kNoCategory;
}

std::vector<PluralGroup> FindPluralGroups(const DefinitionIndex& index) {
    const std::size_t count = index.GroupCount();
    std::vector<bool> hasSubgroup(count, false);
    for (GroupId id = 1; id < count; ++id) hasSubgroup[index.GroupAt(id).parent] = true;
    // The entries come group by group (by group id), so one group's members
    // are gathered at a time.
    std::vector<PluralGroup> groups;
    PluralGroup current{DefinitionIndex::kRoot, 0, {}};
    textresgen::PluralGroupMembers members;
    const auto finish = [&] {
        // TextResource itself is no group of the file.
        if (current.group == DefinitionIndex::kRoot) return;
        const textresgen::PluralGroupKind kind = members.Kind(hasSubgroup[current.group]);
        if (kind == textresgen::PluralGroupKind::Ordinary) return;
        current.isMessage = kind == textresgen::PluralGroupKind::PluralMessage;
        groups.push_back(std::move(current));
    };
    index.ForEachEntry([&](GroupId group, WideStringView name, const DefinitionIndex::Entry& entry) {
        if (group != current.group) {
            finish();
            current = {group, index.GroupAt(group).line, {}};
            members = {};
        }
        const std::size_t category = members.Add(name);
        if (category != textresgen::plural::kNoCategory)
            current.members.push_back({textresgen::plural::kCategoryNames[category], entry.lastLine});
    });
    finish();
    std::sort(groups.begin(), groups.end(), [](const PluralGroup& a, const PluralGroup& b) { return a.line < b.line; });
    return groups;
}

std::vector<Diagnostic> CheckPluralLanguages(const DefinitionIndex& index, const std::vector<std::string>& languages) {
    std::vector<Diagnostic> findings;
    if (languages.empty()) return findings;
    for (const PluralGroup& plural : FindPluralGroups(index)) {
        if (!plural.isMessage) continue;  // the file check warns about that alone
        for (const std::string& language : languages) {
            std::vector<std::string_view> missing;
            for (const std::string_view category : textresgen::plural::IntegerCategories(language))
                if (!plural.Find(category)) missing.push_back(category);
            if (missing.empty()) continue;
            findings.push_back({plural.line,
                                "plural message " + Quoted(index.FullName(plural.group)) + " has no " +
                                    Listed(missing) + (missing.size() == 1 ? ", a form" : ", forms") +
                                    " that whole counts take in '" + language +
                                    "' (--languages): there those counts show the text of 'other'",
                                Severity::Warning});
        }
    }
    return findings;
}

std::optional<std::vector<std::string>> ParseLanguageList(const std::string& value, std::string& problem) {
    std::vector<std::string> languages;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        const std::string given = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::string tag = textresgen::LanguageTagOfGettextName(given);  // also pt_BR, sr@latin
        if (tag.empty()) {
            problem = "--languages: '" + ShownPath(given) + "' is no language tag (say en, ru, pt-BR)";
            return std::nullopt;
        }
        languages.push_back(tag);
        if (comma == std::string::npos) return languages;
        start = comma + 1;
    }
}

}  // namespace textrescheck
