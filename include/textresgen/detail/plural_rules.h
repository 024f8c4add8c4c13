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

// CLDR's cardinal plural rules, evaluated for whole counts from the tables
// that make_plural_rules.cmake makes from plurals.xml at build time.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include <textresgen/plural.h>

#include <textresgen/detail/gettext_language.h>
#include <textresgen/detail/plural_rules_table.h>

namespace textresgen {
namespace plural {
namespace plural_rules_impl {

inline constexpr unsigned char kOther = static_cast<unsigned char>(kOtherCategory);

constexpr bool LocalesSorted() {
    for (std::size_t i = 1; i < std::size(kLocales); ++i)
        if (!(kLocales[i - 1].tag < kLocales[i].tag)) return false;
    return true;
}
static_assert(LocalesSorted(), "the locales are sorted for the binary search");

constexpr std::uint32_t RootRuleSet() {
    for (const Locale& locale : kLocales)
        if (locale.tag == "root") return locale.ruleSet;
    return 0;
}
inline constexpr std::uint32_t kRootRuleSet = RootRuleSet();

// The rules of `language`, or of the longest prefix of it (at subtag
// boundaries) that has rules, or root's. A well-formed tag has at most 64
// characters; a longer one is looked up by the subtags within its first 64.
inline const RuleSet& RuleSetOf(std::string_view language) {
    std::array<char, 64> buffer{};
    std::size_t length = (std::min)(language.size(), buffer.size());
    for (std::size_t i = 0; i < length; ++i) {
        const char c = TagCharacter(language[i]);
        buffer[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    bool cut = language.size() > buffer.size();
    while (length > 0) {
        if (cut) {
            while (length > 0 && buffer[length - 1] != '-') --length;
            if (length > 0) --length;
        }
        const std::string_view tag(buffer.data(), length);
        const Locale* found = std::lower_bound(std::begin(kLocales), std::end(kLocales), tag,
                                               [](const Locale& locale, std::string_view wanted) { return locale.tag < wanted; });
        if (found != std::end(kLocales) && found->tag == tag) return kRuleSets[found->ruleSet];
        cut = true;
    }
    return kRuleSets[kRootRuleSet];
}

// For a whole count, i and n are the count; v w f t e c (fraction digits,
// exponent) are 0.
inline std::uint64_t OperandOf(char operand, std::uint64_t n) { return operand == 'n' || operand == 'i' ? n : 0; }

inline bool Holds(const Relation& relation, std::uint64_t n) {
    std::uint64_t x = OperandOf(relation.operand, n);
    if (relation.modulus != 0) x %= relation.modulus;
    bool inside = false;
    for (std::uint32_t k = 0; k < relation.rangeCount && !inside; ++k) {
        const Range& range = kRanges[relation.firstRange + k];
        inside = x >= range.low && x <= range.high;
    }
    return inside != relation.negated;
}

// Alternatives joined by "or", each a chain of relations joined by "and".
inline bool Applies(const Rule& rule, std::uint64_t n) {
    bool alternative = true;
    for (std::uint32_t k = 0; k < rule.relationCount; ++k) {
        const Relation& relation = kRelations[rule.firstRelation + k];
        if (relation.startsAlternative && k != 0) {
            if (alternative) return true;
            alternative = true;
        }
        if (alternative && !Holds(relation, n)) alternative = false;
    }
    return alternative;
}

inline unsigned char CategoryOf(const RuleSet& rules, std::uint64_t n) {
    for (std::uint32_t k = 0; k < rules.ruleCount; ++k) {
        const Rule& rule = kRules[rules.firstRule + k];
        if (Applies(rule, n)) return rule.category;
    }
    return kOther;
}

// ---- The rules as a C expression of gettext's n --------------------------

// A condition for whole counts: always true, never true, or `text`.
struct Condition {
    enum { kAlways, kNever, kDepends } truth;
    std::string text;
};

inline Condition RelationInC(const Relation& relation) {
    if (relation.operand != 'n' && relation.operand != 'i')
        return {Holds(relation, 0) ? Condition::kAlways : Condition::kNever, ""};
    std::string x = "n";
    if (relation.modulus != 0) x += "%" + std::to_string(relation.modulus);
    const char* join = relation.negated ? " && " : " || ";
    std::string text;
    for (std::uint32_t k = 0; k < relation.rangeCount; ++k) {
        const Range& range = kRanges[relation.firstRange + k];
        const std::string low = std::to_string(range.low), high = std::to_string(range.high);
        if (k != 0) text += join;
        if (range.low == range.high)
            text += x + (relation.negated ? "!=" : "==") + low;
        else if (range.low == 0)
            text += x + (relation.negated ? ">" : "<=") + high;
        else if (relation.negated)
            text += "(" + x + "<" + low + " || " + x + ">" + high + ")";
        else
            text += relation.rangeCount > 1 ? "(" + x + ">=" + low + " && " + x + "<=" + high + ")"
                                            : x + ">=" + low + " && " + x + "<=" + high;
    }
    if (!relation.negated && relation.rangeCount > 1) text = "(" + text + ")";
    return {Condition::kDepends, text};
}

inline Condition RuleInC(const Rule& rule) {
    std::vector<std::string> alternatives;
    std::string chain;
    bool never = false;
    const auto close = [&]() -> bool {  // true when the alternative always holds
        if (never) return false;
        if (chain.empty()) return true;
        alternatives.push_back(chain);
        return false;
    };
    for (std::uint32_t k = 0; k < rule.relationCount; ++k) {
        const Relation& relation = kRelations[rule.firstRelation + k];
        if (relation.startsAlternative && k != 0) {
            if (close()) return {Condition::kAlways, ""};
            chain.clear();
            never = false;
        }
        const Condition part = RelationInC(relation);
        if (part.truth == Condition::kNever) never = true;
        if (part.truth == Condition::kDepends) chain += (chain.empty() ? "" : " && ") + part.text;
    }
    if (close()) return {Condition::kAlways, ""};
    if (alternatives.empty()) return {Condition::kNever, ""};
    std::string text;
    for (const std::string& alternative : alternatives) {
        if (!text.empty()) text += " || ";
        const bool group = alternatives.size() > 1 && alternative.find(" && ") != std::string::npos;
        text += group ? "(" + alternative + ")" : alternative;
    }
    return {Condition::kDepends, text};
}

}  // namespace plural_rules_impl
using namespace plural_rules_impl;

inline bool TakesOneCount(std::optional<std::string_view> language, std::string_view category) {
    if (!language) return category == kCategoryNames[1];
    // Every rule CLDR has repeats within 0..10000 if it repeats at all.
    const RuleSet& rules = RuleSetOf(*language);
    const std::size_t wanted = CategoryIndex(category);
    std::size_t counts = 0;
    for (std::uint64_t n = 0; n <= 10000 && counts < 2; ++n) counts += CategoryOf(rules, n) == wanted;
    return counts == 1;
}

inline std::vector<std::string_view> IntegerCategories(std::string_view language) {
    const RuleSet& rules = RuleSetOf(language);
    std::vector<std::string_view> categories;
    for (std::uint32_t k = 0; k < rules.ruleCount; ++k) {
        const Rule& rule = kRules[rules.firstRule + k];
        if (rule.integerSamples) categories.push_back(kCategoryNames[rule.category]);
    }
    if (categories.empty()) categories.push_back(kCategoryNames[kOther]);
    return categories;
}

inline std::vector<std::string_view> KnownLanguages() {
    std::vector<std::string_view> tags;
    for (const Locale& locale : kLocales) tags.push_back(locale.tag);
    return tags;
}

// The integer categories in order; the last one takes whatever the others
// leave, since a whole count matches no rule without whole-number samples.
inline std::string GettextPluralForms(std::string_view language) {
    const RuleSet& rules = RuleSetOf(language);
    std::vector<const Rule*> integerRules;
    for (std::uint32_t k = 0; k < rules.ruleCount; ++k)
        if (kRules[rules.firstRule + k].integerSamples) integerRules.push_back(&kRules[rules.firstRule + k]);
    if (integerRules.size() <= 1) return "nplurals=1; plural=0;";
    std::string expression;
    std::size_t last = integerRules.size() - 1;
    for (std::size_t index = 0; index < integerRules.size() - 1; ++index) {
        const Condition condition = RuleInC(*integerRules[index]);
        if (condition.truth == Condition::kNever) continue;
        if (condition.truth == Condition::kAlways) {
            last = index;
            break;
        }
        expression += condition.text + " ? " + std::to_string(index) + " : ";
    }
    expression += std::to_string(last);
    return "nplurals=" + std::to_string(integerRules.size()) + "; plural=(" + expression + ");";
}

}  // namespace plural

inline std::string_view PluralCategory(std::string_view language, std::uint64_t n) {
    return plural::kCategoryNames[plural::CategoryOf(plural::RuleSetOf(language), n)];
}

}  // namespace textresgen
