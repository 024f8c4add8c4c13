// The resource tree: the order of members and assignments (by unsigned UTF-16
// code units, a prefix before the longer name, entries before groups, lines
// in any order) and the storage behind it (narrow and wide texts, children
// found through a list or a table, records across block growth).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/resource_tree.h"
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
        tree.Value(ResourceTree::kRoot, std::u16string(1, static_cast<char16_t>(u'a' + i)), texts[i]);
    tree.Finish();
    const ResourceNode& root = tree.Group(ResourceTree::kRoot);
    ASSERT_EQ(root.valueCount, std::size(texts));
    for (std::uint32_t i = 0; i < root.valueCount; ++i) {
        const ResourceEntry& entry = tree.ValueAt(root, i);
        EXPECT_EQ(entry.Text(), texts[i]) << "entry " << i;
        EXPECT_EQ(entry.TextIsNarrow(), texts[i].find_first_of(u"\u0100\u65E5\xD83D") == std::u16string::npos);
    }
}

TEST(ResourceTreeStorage, ChildrenFoundAgainBeforeAndAfterTheListOutgrowsItself) {
    ResourceTree tree;
    const GroupId wide = tree.Child(ResourceTree::kRoot, u"Wide");
    std::vector<GroupId> ids;
    for (int i = 0; i < 40; ++i) {
        ids.push_back(tree.Child(wide, u"G" + std::u16string(1, static_cast<char16_t>(u'A' + i))));
        // Every child made so far is found again, whichever way it is kept.
        for (int j = 0; j <= i; j += 7)
            EXPECT_EQ(tree.Child(wide, u"G" + std::u16string(1, static_cast<char16_t>(u'A' + j))), ids[j]);
    }
    for (int i = 39; i >= 0; --i)
        EXPECT_EQ(tree.Child(wide, u"G" + std::u16string(1, static_cast<char16_t>(u'A' + i))), ids[i]);
    // The same name under another parent is another group.
    EXPECT_NE(tree.Child(ResourceTree::kRoot, u"GA"), ids[0]);
    tree.Finish();
    EXPECT_EQ(tree.GroupCount(), 1u + 1u + 40u + 1u);
    const ResourceNode& group = tree.Group(wide);
    ASSERT_EQ(group.childCount, 40u);
    for (std::uint32_t i = 0; i < 40; ++i) EXPECT_EQ(tree.ChildAt(group, i), ids[i]);
}

// Records live in blocks whose first one starts small and doubles: groups and
// entries far past the first block boundary (65536 records) keep their names,
// texts and parents through every growth.
TEST(ResourceTreeStorage, RecordsSurviveBlockGrowth) {
    constexpr int kGroups = 70000;
    const auto Name = [](int i) {
        const std::string digits = std::to_string(i);
        return u"n" + std::u16string(digits.begin(), digits.end());
    };
    ResourceTree tree;
    std::vector<GroupId> ids;
    for (int i = 0; i < kGroups; ++i) {
        const GroupId group = tree.Child(ResourceTree::kRoot, Name(i));
        ids.push_back(group);
        tree.Value(group, u"v", Name(i) + u"-text");
    }
    for (int i = 0; i < kGroups; i += 997) EXPECT_EQ(tree.Child(ResourceTree::kRoot, Name(i)), ids[i]);
    tree.Finish();
    ASSERT_EQ(tree.EntryCount(), static_cast<std::size_t>(kGroups));
    for (int i = 0; i < kGroups; i += 1013) {
        const ResourceNode& group = tree.Group(ids[i]);
        EXPECT_EQ(group.Name(), Name(i));
        EXPECT_EQ(group.parent, ResourceTree::kRoot);
        ASSERT_EQ(group.valueCount, 1u);
        EXPECT_EQ(tree.ValueAt(group, 0).Text(), Name(i) + u"-text");
    }
}

}  // namespace
}  // namespace textresgen::test
