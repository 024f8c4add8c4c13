// gettext's Plural-Forms formulas: the evaluator textresl10n reads them with,
// the formulas made from CLDR's rules against gettext's own (cldr-plurals),
// and which msgstr[i] of a file each CLDR category takes.
#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "l10n/plural_forms.h"
#include "l10n/plural_formula.h"
#include "runtime/plural_rules.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace textresl10n {
namespace {

struct FormulaCase {
    const char* header;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> indices;  // n -> index
    const char* error;  // a part of the refusal; null when it parses
};

const std::uint64_t kMax = ~std::uint64_t{0};

const FormulaCase kFormulas[] = {
        {"nplurals=2; plural=(n != 1);", {{0, 1}, {1, 0}, {2, 1}}, nullptr},
        {"  plural = n>1 ;nplurals = 2", {{0, 0}, {1, 0}, {2, 1}}, nullptr},
        {"nplurals=1; plural=0;", {{0, 0}, {kMax, 0}}, nullptr},
        // Precedence: * before +, + before <, < before ==, == before &&, && before ||, ?: last and right to left.
        {"nplurals=9; plural=1 + 2 * 3;", {{0, 7}}, nullptr},
        {"nplurals=9; plural=n < 3 == 1;", {{2, 1}, {3, 0}}, nullptr},
        {"nplurals=9; plural=0 && 1 || 1;", {{0, 1}}, nullptr},
        {"nplurals=9; plural=n==0 ? 0 : n==1 ? 1 : 2;", {{0, 0}, {1, 1}, {7, 2}}, nullptr},
        {"nplurals=9; plural=10 - 4 - 3;", {{0, 3}}, nullptr},
        {"nplurals=9; plural=!n + !!n;", {{0, 1}, {5, 1}}, nullptr},
        {"nplurals=9; plural=n<=2 ? n>=1 : n!=5;", {{0, 0}, {2, 1}, {5, 0}, {6, 1}}, nullptr},
        // Unsigned arithmetic as gettext's: 0 - 1 wraps, it is no error.
        {"nplurals=2; plural=n - 1 > 5;", {{0, 1}, {1, 0}}, nullptr},
        // Division by zero is an error only where it is evaluated.
        {"nplurals=2; plural=n == 0 || 10 / n > 2;", {{0, 1}, {3, 1}, {5, 0}}, nullptr},
        {"nplurals=2; plural=n % 0;", {}, nullptr},
        {"nplurals=2; plural=18446744073709551615 > n;", {{0, 1}}, nullptr},
        {"nplurals=2; plural=18446744073709551616 > n;", {}, "too large"},
        {"nplurals=0; plural=0;", {}, "nplurals"},
        {"nplurals=33; plural=0;", {}, "nplurals"},
        {"nplurals=INTEGER; plural=EXPRESSION;", {}, "nplurals"},
        {"nplurals=2;", {}, "plural=EXPRESSION"},
        {"nplurals=2; plural=(n > 1;", {}, "without its ')'"},
        {"nplurals=2; plural=n ? 1;", {}, "without its ':'"},
        {"nplurals=2; plural=n = 1;", {}, "unexpected '='"},
        {"nplurals=2; plural=n > 1 x;", {}, "unexpected 'x'"},
        {"nplurals=2; plural=-n;", {}, "unexpected '-'"},
        {"nplurals=2; plural=;", {}, "ends where an operand"},
};

TEST(PluralFormula, ParsesAndEvaluatesGettextsSubset) {
    for (const FormulaCase& test : kFormulas) {
        SCOPED_TRACE(test.header);
        PluralFormula formula;
        std::string error;
        const bool parsed = formula.Parse(test.header, error);
        if (test.error) {
            EXPECT_FALSE(parsed);
            EXPECT_NE(error.find(test.error), std::string::npos) << error;
            continue;
        }
        ASSERT_TRUE(parsed) << error;
        for (const auto& [n, expected] : test.indices) {
            std::uint64_t index = 99;
            EXPECT_TRUE(formula.Evaluate(n, index)) << "n = " << n;
            EXPECT_EQ(index, expected) << "n = " << n;
        }
        if (test.indices.empty()) {  // only the division by zero
            std::uint64_t index = 0;
            EXPECT_FALSE(formula.Evaluate(1, index));
        }
    }
}

TEST(PluralFormula, RefusesWhatWouldCostTooMuch) {
    const std::string deep = "nplurals=2; plural=" + std::string(200, '(') + "n" + std::string(200, ')') + ";";
    const std::string nots = "nplurals=2; plural=" + std::string(400, '!') + "n;";
    const std::string chain = [] {
        std::string text = "nplurals=2; plural=n";
        for (int i = 0; i < 300; ++i) text += "+n";
        return text + ";";
    }();
    for (const std::string& header : {deep, nots, chain}) {
        PluralFormula formula;
        std::string error;
        EXPECT_FALSE(formula.Parse(header, error)) << header.substr(0, 40);
        EXPECT_FALSE(error.empty());
    }
}

// Which msgstr index each integer category takes under a file's formula:
// gettext's own formula for the language, msginit's French one of two
// forms, and one that names a form past nplurals.
struct MappingCase {
    const char* language;
    const char* header;
    std::vector<std::size_t> forms;  // per integer category, CLDR order
    std::vector<bool> singleCount;   // per category: it takes one count alone, so its form may leave the count out
};

const MappingCase kMappings[] = {
        {"ru", "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);",
         {0, 1, 2}, {false, false, false}},
        {"ru", "nplurals=2; plural=(n%10==1 && n%100!=11 ? 0 : 1);", {0, 1, 1}, {false, false, false}},
        {"fr", "nplurals=2; plural=(n > 1);", {0, 1, 1}, {false, false, false}},
        {"fr_CA", "nplurals=3; plural=n<=1 ? 0 : n==1000000 ? 1 : 2;", {0, 1, 2}, {false, false, false}},
        {"ar", "nplurals=6; plural=n==0 ? 0 : n==1 ? 1 : n==2 ? 2 : n%100>=3 && n%100<=10 ? 3 : n%100>=11 ? 4 : 5;",
         {0, 1, 2, 3, 4, 5}, {true, true, true, false, false, false}},
        // Past nplurals only beyond the counts msgfmt checks (0..1000).
        {"fr", "nplurals=2; plural=n <= 1 ? 0 : n <= 1000 ? 1 : 7;", {0, kNoForm, 1}, {false, false, false}},
        {"ja", "nplurals=1; plural=0;", {0}, {false}},
        // A Language header in gettext's spelling takes the language's rules.
        {"sr@latin",
         "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<12 || n%100>14) ? 1 : 2);",
         {0, 1, 2}, {false, false, false}},
};

TEST(PluralForms, EachCategoryTakesTheFormTheFilesFormulaGivesItsCounts) {
    for (const MappingCase& test : kMappings) {
        SCOPED_TRACE(std::string(test.language) + ": " + test.header);
        PluralFormula formula;
        std::string error;
        ASSERT_TRUE(formula.Parse(test.header, error)) << error;
        CategoryForms map;
        ASSERT_TRUE(FormsOfCategories(test.language, formula, map, error)) << error;
        EXPECT_EQ(map.form, test.forms);
        EXPECT_EQ(map.singleCount, test.singleCount);
    }
    // A French file of two forms: "many" takes the form "other" takes.
    PluralFormula french;
    std::string error;
    ASSERT_TRUE(french.Parse("nplurals=2; plural=(n > 1);", error));
    CategoryForms map;
    ASSERT_TRUE(FormsOfCategories("fr", french, map, error));
    ExchangeUnit unit;
    AssignForms(map, {"un fichier", "des fichiers"}, {10, 11}, unit);
    std::vector<std::string> categories, texts;
    std::vector<std::size_t> lines;
    for (const PluralForm& form : unit.forms) {
        categories.push_back(form.category);
        texts.push_back(form.text);
        lines.push_back(form.line);
    }
    EXPECT_EQ(categories, (std::vector<std::string>{"one", "many", "other"}));
    EXPECT_EQ(texts, (std::vector<std::string>{"un fichier", "des fichiers", "des fichiers"}));
    EXPECT_EQ(lines, (std::vector<std::size_t>{10, 11, 11}));
    // A formula that divides by zero for a sample count is an error.
    ASSERT_TRUE(french.Parse("nplurals=2; plural=5 / (n - 2);", error));
    EXPECT_FALSE(FormsOfCategories("fr", french, map, error));
    EXPECT_NE(error.find("divides by zero"), std::string::npos) << error;
}

// The languages of CLDR's cardinal rules, in the order of plurals.xml.
std::vector<std::string> CldrLanguages(const std::string& xml) {
    std::vector<std::string> languages;
    const std::size_t end = xml.find("</plurals>");
    for (std::size_t at = xml.find("locales=\""); at < end; at = xml.find("locales=\"", at + 1)) {
        const std::size_t start = at + 9;
        std::string list = xml.substr(start, xml.find('"', start) - start);
        for (std::size_t i = 0; i < list.size();) {
            const std::size_t space = std::min(list.find(' ', i), list.size());
            if (space > i) languages.push_back(list.substr(i, space - i));
            i = space + 1;
        }
    }
    return languages;
}

// The formula made from CLDR's rules picks the same form as gettext's own
// cldr-plurals formula for every count of 0..10000 and a few large ones, in
// every language whose rules that program reads. One difference is known
// and allowed: for some languages of two forms (hi, is, fil, ...)
// cldr-plurals writes the condition of "one" itself as the formula, so that
// "one" gets index 1, against msgstr[0] being the singular (gettext's
// msginit table and every PO of those languages); ours keeps "one" at 0.
// Such a language must then be exactly the other way round for every count.
TEST(PluralForms, AgreeWithGettextsCldrPlurals) {
    const std::string program = TEXTRESL10N_CLDR_PLURALS;
    const std::string xmlPath = TEXTRESL10N_PLURALS_XML;
    if (program.empty() || xmlPath.empty()) GTEST_SKIP() << "gettext's cldr-plurals or plurals.xml was not found";
    const std::string xml = textresgen::test::ReadFileBytes(xmlPath).value_or("");
    const std::vector<std::string> languages = CldrLanguages(xml);
    ASSERT_GT(languages.size(), 100u);
    std::vector<std::uint64_t> counts;
    for (std::uint64_t n = 0; n <= 10000; ++n) counts.push_back(n);
    for (const std::uint64_t n : {100000ull, 1000000ull, 1000001ull, 2000000ull, 1000000000ull, 1000000000000ull,
                                  1234567890123ull, 9223372036854775808ull, 18446744073709551615ull})
        counts.push_back(n);
    std::size_t compared = 0;
    std::string swapped;
    for (const std::string& language : languages) {
        SCOPED_TRACE(language);
        textresgen::test::RunOptions options;
        options.arguments = {language, xmlPath};
        const textresgen::test::RunResult run = textresgen::test::RunProgram(program, options);
        ASSERT_TRUE(run.started) << run.setupError;
        if (!run.exited || run.exitStatus != 0) continue;  // a rule it cannot parse (those using 'e')
        std::string theirs = run.out;
        while (!theirs.empty() && (theirs.back() == '\n' || theirs.back() == '\r')) theirs.pop_back();
        PluralFormula gettext, ours;
        std::string error;
        ASSERT_TRUE(gettext.Parse(theirs, error)) << theirs << ": " << error;
        const std::string header = textresgen::plural::GettextPluralForms(language);
        ASSERT_TRUE(ours.Parse(header, error)) << header << ": " << error;
        ASSERT_EQ(ours.Count(), gettext.Count()) << header << " / " << theirs;
        ASSERT_EQ(ours.Count(), textresgen::plural::IntegerCategories(language).size());
        std::uint64_t atOne = 0;
        ASSERT_TRUE(gettext.Evaluate(1, atOne));
        const bool oneLast = ours.Count() == 2 && atOne == 1 &&
                             textresgen::plural::IntegerCategories(language).front() == "one";
        for (const std::uint64_t n : counts) {
            std::uint64_t a = 0, b = 0;
            ASSERT_TRUE(ours.Evaluate(n, a));
            ASSERT_TRUE(gettext.Evaluate(n, b));
            ASSERT_EQ(a, oneLast ? 1 - b : b) << "n = " << n << "\n ours: " << header << "\n gettext: " << theirs;
        }
        if (oneLast) swapped += " " + language;
        ++compared;
    }
    std::cout << compared << " languages compared; \"one\" at index 1 in cldr-plurals:" << swapped << "\n";
    EXPECT_GT(compared, 100u) << "cldr-plurals read too few of the rules for the comparison to mean much";
}

}  // namespace
}  // namespace textresl10n
