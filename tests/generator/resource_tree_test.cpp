// The resource tree: the order of members and assignments (by unsigned UTF-16
// code units, a prefix before the longer name, entries before groups, lines
// in any order) and the storage behind it (narrow and wide texts, records
// and the path table across their growth).
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/resource_tree.h"
#include "model/work_threads.h"
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

TEST(ResourceTreeStorage, TextsKeepEveryUnitWhetherStoredNarrowOrWide) {
    const std::u16string texts[] = {u"", u"plain", u"caf\u00E9 \u00FF\t\"", u"\u0100", u"\u65E5\u672C",
                                    u"a\xD83D\xDE00", std::u16string(1, u'\0') + u"x"};
    ResourceTree tree;
    for (std::size_t i = 0; i < std::size(texts); ++i)
        tree.Define(std::u16string(1, static_cast<char16_t>(u'a' + i)), texts[i]);
    tree.Finish();
    const GroupPath& root = tree.PathAt(0);
    ASSERT_EQ(root.valueCount, std::size(texts));
    const ResourceNode group{{}, root.firstValue, root.valueCount};
    for (std::uint32_t i = 0; i < root.valueCount; ++i) {
        const ResourceEntry& entry = tree.ValueAt(group, i);
        EXPECT_EQ(entry.Text(), texts[i]) << "entry " << i;
        EXPECT_EQ(entry.TextIsNarrow(), texts[i].find_first_of(u"\u0100\u65E5\xD83D") == std::u16string::npos);
    }
}

// Records live in blocks whose first one starts small and doubles, and paths
// are found through a table that grows: paths and entries far past the first
// block boundary (65536 records) keep their names and texts, and a path
// defined again after the growths is the same group.
TEST(ResourceTreeStorage, RecordsSurviveBlockGrowth) {
    constexpr int kGroups = 70000;
    const auto Name = [](int i) {
        const std::string digits = std::to_string(i);
        return u"n" + std::u16string(digits.begin(), digits.end());
    };
    ResourceTree tree;
    for (int i = 0; i < kGroups; ++i) tree.Define(Name(i) + u".v", Name(i) + u"-text");
    for (int i = 0; i < kGroups; i += 997) tree.Define(Name(i) + u".w", u"again");
    tree.Finish();
    ASSERT_EQ(tree.PathCount(), 1u + kGroups);
    ASSERT_EQ(tree.EntryCount(), static_cast<std::size_t>(kGroups + (kGroups + 996) / 997));
    for (std::size_t rank = 1; rank < tree.PathCount(); rank += 1013) {
        const GroupPath& path = tree.PathAt(rank);
        const ResourceNode group{path.Units(), path.firstValue, path.valueCount};
        ASSERT_GE(group.valueCount, 1u);
        EXPECT_EQ(tree.ValueAt(group, 0).Text(), std::u16string(path.Units()) + u"-text");
    }
}

// Every call runs once, whatever the count; what one throws reaches the
// caller after all have ended, whichever thread it ran on.
TEST(WorkThreads, EveryCallOnceFailuresReachTheCaller) {
    for (const unsigned count : {1u, 2u, 5u}) {
        std::vector<int> calls(count, 0);
        RunOnThreads(count, [&](unsigned index) { ++calls[index]; });
        EXPECT_EQ(calls, std::vector<int>(count, 1)) << count;
        for (unsigned failing = 0; failing < count; ++failing) {
            std::vector<int> ended(count, 0);
            EXPECT_THROW(RunOnThreads(count,
                                      [&](unsigned index) {
                                          ended[index] = 1;
                                          if (index == failing) throw std::length_error("too long");
                                      }),
                         std::length_error);
            EXPECT_EQ(ended, std::vector<int>(count, 1)) << count << " " << failing;
        }
    }
}

}  // namespace
}  // namespace textresgen::test
