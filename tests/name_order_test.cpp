// The order of members and assignments: by unsigned UTF-16 code units, a
// prefix before the longer name, entries before groups, lines in any order.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/generated.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

TEST(NameOrder, EntriesByCodeUnit) {
    const GeneratedLines files = GenerateLines(Utf16LeWithMark(u"b=1\na=2\nB=3\nab=4\n=5\n"));
    EXPECT_EQ(Assignments(files), (Lines{u"\tt. = L\"5\";", u"\tt.B = L\"3\";", u"\tt.a = L\"2\";",
                                         u"\tt.ab = L\"4\";", u"\tt.b = L\"1\";"}));
    EXPECT_EQ(HeaderBody(files), (Lines{u"\tS ;", u"\tS B;", u"\tS a;", u"\tS ab;", u"\tS b;"}));
}

// U+1F600 is the units D83D DE00: it sorts below U+E000 although its code
// point is higher. U+00E9 sorts above every ASCII letter.
TEST(NameOrder, SurrogatesBelowPrivateUse) {
    const GeneratedLines files =
        GenerateLines(Utf16LeWithMark(u"\uFFFD=1\n\uE000=2\n\U0001F600=3\n\u00E9=4\nz=5\n"));
    EXPECT_EQ(Assignments(files), (Lines{u"\tt.z = L\"5\";", u"\tt.\u00E9 = L\"4\";", u"\tt.\U0001F600 = L\"3\";",
                                         u"\tt.\uE000 = L\"2\";", u"\tt.\uFFFD = L\"1\";"}));
}

TEST(NameOrder, GroupsByCodeUnitAfterEntries) {
    const GeneratedLines files = GenerateLines(Utf16LeWithMark(u"b.x=1\na.x=2\nB.x=3\n.x=4\nzz=5\n"));
    EXPECT_EQ(Assignments(files), (Lines{u"\tt.zz = L\"5\";", u"\tt..x = L\"4\";", u"\tt.B.x = L\"3\";",
                                         u"\tt.a.x = L\"2\";", u"\tt.b.x = L\"1\";"}));
    const Lines body = HeaderBody(files);
    std::vector<std::u16string> structs;
    for (const auto& line : body)
        if (line.rfind(u"\tstruct ", 0) == 0) structs.push_back(line);
    EXPECT_EQ(structs, (Lines{u"\tstruct _", u"\tstruct _B", u"\tstruct _a", u"\tstruct _b"}));
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body.front(), u"\tS zz;");
}

// Apart from repeated names, the order of the lines does not matter.
TEST(NameOrder, LineOrderDoesNotMatter) {
    std::vector<std::u16string> lines = {u"Menu.Sub.Open=Reopen\n", u"b=2\n", u"Menu.Edit=Edit\n",
                                         u"Menu=m\n", u"\U0001F600.x=4\n", u"=e\n"};
    std::sort(lines.begin(), lines.end());
    GeneratedLines first;
    int permutations = 0;
    do {
        std::u16string definition;
        for (const auto& line : lines) definition += line;
        const GeneratedLines files = GenerateLines(Utf16LeWithMark(definition));
        if (permutations++ == 0) {
            first = files;
            continue;
        }
        ASSERT_EQ(files.source, first.source) << "permutation " << permutations;
        ASSERT_EQ(files.header, first.header) << "permutation " << permutations;
    } while (std::next_permutation(lines.begin(), lines.end()));
    EXPECT_EQ(permutations, 720);
    EXPECT_EQ(Assignments(first).size(), 6u);
}

}  // namespace
}  // namespace textresgen::test
