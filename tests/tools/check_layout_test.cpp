// Several language files: every name one lacks or adds against the first.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/layout_compare.h"
#include "check_test_support.h"

namespace textrescheck {
namespace {

const std::string kMoves =
    ": the members after it move, so an application built with another language's header reads wrong texts from "
    "this one";

std::vector<std::string> Differences(const std::string& reference, const std::string& other) {
    const FileCheck first = CheckDefinitionBytes(std::string(testing::kUtf8Mark) + reference);
    const FileCheck second = CheckDefinitionBytes(std::string(testing::kUtf8Mark) + other);
    std::vector<std::string> lines;
    for (const Diagnostic& finding : CompareLayouts(first.index, "en.txt", second.index)) {
        lines.push_back(testing::FormatFinding("ja.txt", finding));
        lines.back().pop_back();
    }
    return lines;
}

TEST(CheckLayout, SameNamesInAnyOrderWithOtherTextsMatch) {
    EXPECT_EQ(Differences("Title=Hello\nMenu.Open=Open\nMenu.Sub.Close=Close\n",
                          "Menu.Sub.Close=Schliessen\n# comment\nTitle=Hallo\nMenu.Open=Oeffnen\nTitle=Hallo!\n"),
              std::vector<std::string>{});
}

TEST(CheckLayout, EachMissingOrExtraNameIsAnError) {
    const std::string en =
        "Title=Hello\n"        // 1
        "Menu.Open=Open\n"     // 2
        "Menu.Save=Save\n"     // 3
        "Help.About=About\n"   // 4
        "Help.Index=Index\n"   // 5
        "Zeta=z\n";            // 6
    const std::string ja =
        "Title=T\n"            // 1
        "Menu.Open=O\n"        // 2
        "Extra=E\n"            // 3
        "Tools.Options=O\n"    // 4
        "Tools.Sub.Deep=D\n"   // 5
        "Zeta=z\n";            // 6
    EXPECT_EQ(Differences(en, ja),
              (std::vector<std::string>{
                  "ja.txt:3: error: entry 'Extra' is not in en.txt" + kMoves,
                  "ja.txt:4: error: group 'Tools' is not in en.txt" + kMoves,
                  "ja.txt: error: entry 'Menu.Save' is missing (en.txt:3)" + kMoves,
                  "ja.txt: error: group 'Help' is missing with all its entries (en.txt:4)" + kMoves,
              }));
}

// The build completes a plural message with 'other' to all six categories,
// so only the categories of groups without 'other' can move members.
TEST(CheckLayout, CategoriesOfPluralMessagesWithOtherMoveNothing) {
    const std::string en =
        "Files.one=%d file\n"      // 1
        "Files.other=%d files\n"   // 2
        "Numbers.one=One\n"        // 3
        "Numbers.two=Two\n";       // 4
    const std::string ru =
        "Files.one=%d файл\n"      // 1
        "Files.few=%d файла\n"     // 2
        "Files.many=%d файлов\n"   // 3
        "Files.other=%d файла\n"   // 4
        "Numbers.one=Один\n"       // 5
        "Numbers.few=Три\n";       // 6
    EXPECT_EQ(Differences(en, ru),
              (std::vector<std::string>{
                  "ja.txt:6: error: entry 'Numbers.few' is not in en.txt" + kMoves,
                  "ja.txt: error: entry 'Numbers.two' is missing (en.txt:4)" + kMoves,
              }));
}

TEST(CheckLayout, AnEntryIsNotAGroupOfTheSameName) {
    EXPECT_EQ(Differences("A.B=x\nC=y\n", "A=x\nC.D=y\n"),
              (std::vector<std::string>{
                  "ja.txt:1: error: entry 'A' is not in en.txt" + kMoves,
                  "ja.txt:2: error: group 'C' is not in en.txt" + kMoves,
                  "ja.txt: error: group 'A' is missing with all its entries (en.txt:1)" + kMoves,
                  "ja.txt: error: entry 'C' is missing (en.txt:2)" + kMoves,
              }));
}

TEST(CheckLayout, NestedDifferencesAreNamedByTheirFullPath) {
    EXPECT_EQ(Differences("a.b.c.d=1\na.b.e=2\n", "a.b.c.x=1\na.b.e=2\na.b.c.d.f=3\n"),
              (std::vector<std::string>{
                  "ja.txt:1: error: entry 'a.b.c.x' is not in en.txt" + kMoves,
                  "ja.txt:3: error: group 'a.b.c.d' is not in en.txt" + kMoves,
                  "ja.txt: error: entry 'a.b.c.d' is missing (en.txt:1)" + kMoves,
              }));
}

TEST(CheckLayout, NamesDifferingOnlyInCaseOrSpacesDiffer) {
    EXPECT_EQ(Differences("Title=x\n", "title=x\n"),
              (std::vector<std::string>{
                  "ja.txt:1: error: entry 'title' is not in en.txt" + kMoves,
                  "ja.txt: error: entry 'Title' is missing (en.txt:1)" + kMoves,
              }));
}

}  // namespace
}  // namespace textrescheck
