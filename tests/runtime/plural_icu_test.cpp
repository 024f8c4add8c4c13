// PluralCategory against ICU's plural rules, for every language both know,
// over the counts 0..10000, 10^6, 10^9 and 2^31-1.
//
// ICU 72 carries CLDR 42; the rules here are CLDR 41's (Debian's
// unicode-cldr-core). Where a language's rules changed between the two
// (ICU's rule text differs from plurals.xml's, both read by ICU), the
// comparison is with ICU's reading of plurals.xml's own rule text instead,
// and the language must be one of kChangedSinceCldr41, so that a change is
// never passed over silently. Between CLDR 41 and ICU 72's CLDR 42:
//   ca      gains "many" (e = 0 and i != 0 and i % 1000000 = 0 and v = 0 or
//           e != 0..5): a million, two million, ... are "many" in ICU
//   he, iw  lose "many" (20, 30, ... 100, ... become "other"); "one" gains
//           "i = 0 and v != 0" (fractions only)
//   is      "one": "t != 0" becomes "t % 10 = 1 and t % 100 != 11"
//           (fractions only)
//   mo, ro  "few": "n % 100 = 2..19" becomes "n != 1 and n % 100 = 1..19"
//           (101, 201, ... become "few")
//   mt      gains "two" (n = 2); "few" becomes "n = 0 or n % 100 = 3..10"
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unicode/locid.h>
#include <unicode/plurrule.h>
#include <unicode/strenum.h>
#include <unicode/unistr.h>
#include <unicode/utypes.h>

#include <textresgen/plural.h>

#include "runtime/plural_rules.h"

namespace textresgen {
namespace {

const std::set<std::string> kChangedSinceCldr41 = {"ca", "he", "is", "iw", "mo", "mt", "ro"};

// plurals.xml's rules per locale (as the file spells it, "pt_PT"), in ICU's
// syntax: "one: i = 1 and v = 0; many: ...; other: ", without the samples.
std::map<std::string, std::string> RulesOfTheFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream whole;
    whole << file.rdbuf();
    const std::string xml = whole.str();
    std::map<std::string, std::string> rules;
    const std::string setOpen = "<pluralRules locales=\"", ruleOpen = "<pluralRule count=\"", ruleClose = "</pluralRule>";
    for (std::size_t at = xml.find(setOpen); at != std::string::npos; at = xml.find(setOpen, at)) {
        at += setOpen.size();
        const std::string locales = xml.substr(at, xml.find('"', at) - at);
        const std::size_t end = xml.find("</pluralRules>", at);
        std::string text;
        for (std::size_t rule = xml.find(ruleOpen, at); rule < end; rule = xml.find(ruleOpen, rule)) {
            rule += ruleOpen.size();
            const std::size_t quote = xml.find('"', rule);
            const std::string category = xml.substr(rule, quote - rule);
            const std::size_t body = quote + 2;  // past '">'
            std::string condition = xml.substr(body, xml.find(ruleClose, body) - body);
            condition = condition.substr(0, condition.find('@'));
            while (!condition.empty() && condition.back() == ' ') condition.pop_back();
            while (!condition.empty() && condition.front() == ' ') condition.erase(0, 1);
            text += (text.empty() ? "" : "; ") + category + ":" + (condition.empty() ? "" : " " + condition);
        }
        std::istringstream names(locales);
        for (std::string name; names >> name;) rules[name] = text;
    }
    return rules;
}

std::unique_ptr<icu::PluralRules> Check(icu::PluralRules* rules, UErrorCode status, const std::string& what) {
    if (U_FAILURE(status) || rules == nullptr) throw std::runtime_error(what + ": " + u_errorName(status));
    return std::unique_ptr<icu::PluralRules>(rules);
}

std::string Utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

// ICU's own text of the rules, one "keyword: condition" per category,
// whatever order they were given in.
std::set<std::string> RuleText(const icu::PluralRules& rules) {
    const std::string text = Utf8(rules.getRules());
    std::set<std::string> parts;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find("; ", at);
        if (end == std::string::npos) end = text.size();
        parts.insert(text.substr(at, end - at));
        at = end + 2;
    }
    return parts;
}

TEST(PluralRulesAgainstIcu, EveryLanguageBothKnow) {
    const std::map<std::string, std::string> fileRules = RulesOfTheFile(TEXTRESGEN_CLDR_PLURALS_XML);
    ASSERT_GT(fileRules.size(), 200u);
    std::vector<std::uint64_t> counts;
    for (std::uint64_t n = 0; n <= 10000; ++n) counts.push_back(n);
    for (const std::uint64_t n : {1000000ULL, 1000000000ULL, 2147483647ULL}) counts.push_back(n);

    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::StringEnumeration> icuLocales(icu::PluralRules::getAvailableLocales(status));
    ASSERT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    int compared = 0;
    std::set<std::string> changed;
    for (const char* name = icuLocales->next(nullptr, status); name != nullptr; name = icuLocales->next(nullptr, status)) {
        const auto found = fileRules.find(name);
        if (found == fileRules.end()) continue;  // a language CLDR 41 does not know
        status = U_ZERO_ERROR;
        const auto icuRules = Check(icu::PluralRules::forLocale(icu::Locale(name), status), status, name);
        status = U_ZERO_ERROR;
        const auto ourText = Check(icu::PluralRules::createRules(icu::UnicodeString::fromUTF8(found->second), status),
                                   status, std::string(name) + " as in plurals.xml");
        const icu::PluralRules* reference = icuRules.get();
        if (RuleText(*icuRules) != RuleText(*ourText)) {
            changed.insert(name);
            std::cout << name << ": ICU " << Utf8(icuRules->getRules()) << "\n    CLDR 41 " << Utf8(ourText->getRules()) << "\n";
            reference = ourText.get();
        }
        int differences = 0;
        for (const std::uint64_t n : counts) {
            const std::string theirs = Utf8(reference->select(static_cast<double>(n)));
            const std::string_view ours = PluralCategory(name, n);
            if (theirs != ours && ++differences <= 3) ADD_FAILURE() << name << " n=" << n << ": " << ours << ", ICU " << theirs;
        }
        EXPECT_EQ(differences, 0) << name;
        ++compared;
    }
    EXPECT_EQ(changed, kChangedSinceCldr41);
    std::cout << compared << " languages compared with ICU " << U_ICU_VERSION << "\n";
    EXPECT_GT(compared, 200);
}

}  // namespace
}  // namespace textresgen
