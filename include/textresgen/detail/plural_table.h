// The shapes of the plural rule tables that make_plural_rules.cmake writes
// into the generated <textresgen/detail/plural_rules_table.h>.
#pragma once

#include <cstdint>
#include <string_view>

namespace textresgen::plural::plural_rules_impl {

// One relation of a rule: OPERAND [% MODULUS] (= | !=) RANGE, RANGE...
struct Range {
    std::uint32_t low;
    std::uint32_t high;
};
struct Relation {
    char operand;  // n i v w f t e c
    std::uint32_t modulus;  // 0: none
    bool negated;  // "!="
    std::uint32_t firstRange;
    std::uint32_t rangeCount;
    bool startsAlternative;  // first relation after an "or" (or of the rule)
};
// A rule: the relations of its condition (none: it always applies, as
// "other" does), and whether CLDR gives it whole-number samples.
struct Rule {
    unsigned char category;  // index into kCategoryNames
    std::uint32_t firstRelation;
    std::uint32_t relationCount;
    bool integerSamples;
};
struct RuleSet {
    std::uint32_t firstRule;
    std::uint32_t ruleCount;
};
struct Locale {
    std::string_view tag;  // lower case, '-' between subtags
    std::uint32_t ruleSet;
};

}  // namespace textresgen::plural::plural_rules_impl
