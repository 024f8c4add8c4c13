// The shortcuts taken for speed: block-wise translation and copying of units,
// LF positions noted while translating, lines assembled across many reads,
// texts stored one byte per unit, children found through a list or a table.
// Each is checked against the plain rule it must not change.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/resource_tree.h"
#include "text/memory_bytes.h"
#include "text/utf16_reader.h"
#include "text/utf16_writer.h"

namespace textresgen {
namespace {

std::string Utf16Bytes(const std::u16string& units) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t u : units) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    return bytes;
}

// The lines the reading rules give, unit by unit: CR LF becomes LF, U+FFFF
// is dropped, U+001A ends the input, a line ends after its LF.
std::vector<std::u16string> LinesByTheRules(const std::u16string& units) {
    std::u16string translated;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u == 0x1A) break;
        if (u == 0xFFFF) continue;
        if (u == u'\r' && i + 1 < units.size() && units[i + 1] == u'\n') continue;
        translated.push_back(u);
    }
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start < translated.size()) {
        std::size_t end = translated.find(u'\n', start);
        end = end == std::u16string::npos ? translated.size() : end + 1;
        lines.push_back(translated.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::vector<std::u16string> ReadAll(const std::string& bytes, std::size_t chunk) {
    Utf16Reader file;
    EXPECT_TRUE(file.Open(std::make_unique<MemorySource>(bytes, chunk)));
    std::vector<std::u16string> lines;
    WideStringView line;
    while (file.ReadLine(line)) lines.emplace_back(line);
    return lines;
}

TEST(FastReading, SpecialUnitsAtEveryPlaceOfABlock) {
    const std::u16string specials[] = {
        u"\r\n", u"\rx", u"\r\r\n", u"\xFFFF", u"\x1A" u"after\r\n", std::u16string(u"\t\0\n", 3), u"\n\n", u"\r",
    };
    const std::size_t chunks[] = {1, 3, 34, 1000, static_cast<std::size_t>(-1)};
    for (const std::u16string& special : specials) {
        for (std::size_t position = 0; position < 40; ++position) {
            const std::u16string units =
                std::u16string(position, u'a') + special + u"bbbbb\r\n" + std::u16string(20, u'c') + u"\r\nz";
            for (const std::size_t chunk : chunks) {
                EXPECT_EQ(ReadAll(Utf16Bytes(units), chunk), LinesByTheRules(units))
                    << "special unit(s) " << special.size() << " at " << position << ", reads of " << chunk;
            }
        }
    }
}

TEST(FastReading, LineLongerThanManyReadsArrivesWhole) {
    std::u16string text;
    for (std::size_t i = 0; i < 300000; ++i) text.push_back(static_cast<char16_t>(u'A' + i % 26));
    const std::u16string units = u"Long=" + text + u"\r\nnext=1\r\n";
    for (const std::size_t chunk : {std::size_t{4096}, std::size_t{65537}}) {
        const std::vector<std::u16string> lines = ReadAll(Utf16Bytes(units), chunk);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], u"Long=" + text + u"\n");
        EXPECT_EQ(lines[1], u"next=1\n");
    }
}

std::string Written(void (*print)(Utf16Writer&)) {
    std::string bytes;
    Utf16Writer file;
    file.Open(std::make_unique<MemorySink>(bytes));
    print(file);
    file.Close();
    return bytes;
}

TEST(FastWriting, LineEndsInsideTextsStillBecomeCrLf) {
    EXPECT_EQ(Written([](Utf16Writer& f) { f.PrintText(u"a\nb"); }),
              std::string("\xFF\xFE" "a\0\r\0\n\0b\0", 10));
    EXPECT_EQ(Written([](Utf16Writer& f) { f.PrintLine(u"x\xD83D\xDE00"); }),
              std::string("\xFF\xFE" "x\0\x3D\xD8\x00\xDE\r\0\n\0", 12));
    EXPECT_EQ(Written([](Utf16Writer& f) {
                  const unsigned char narrow[] = {'a', 0x0A, 0xE9, 0xFF, 0x00};
                  f.PrintNarrowText(narrow, sizeof narrow);
              }),
              std::string("\xFF\xFE" "a\0\r\0\n\0\xE9\0\xFF\0\0\0", 14));
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
        EXPECT_EQ(group.name, Name(i));
        EXPECT_EQ(group.parent, ResourceTree::kRoot);
        ASSERT_EQ(group.valueCount, 1u);
        EXPECT_EQ(tree.ValueAt(group, 0).Text(), Name(i) + u"-text");
    }
}

}  // namespace
}  // namespace textresgen
