// The tree's order against the plain one (std::u16string's, by unsigned code
// unit, a prefix first), on name sets built to reach every path of the keyed
// sort: names that end at, before and after the units one key holds, long
// stretches shared by a whole run, U+0000 inside names, surrogates and U+FFFF,
// names defined several times, and groups of every size around the point
// where short runs are sorted by plain comparison.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "model/resource_tree.h"

namespace textresgen {
namespace {

using Names = std::vector<std::u16string>;

std::u16string Units(std::initializer_list<char16_t> units) { return std::u16string(units); }

// `prefix` followed by every tail, and `prefix` cut at every length.
Names Around(const std::u16string& prefix, const Names& tails) {
    Names names;
    for (const auto& tail : tails) names.push_back(prefix + tail);
    for (std::size_t length = 0; length <= prefix.size(); ++length) names.push_back(prefix.substr(0, length));
    return names;
}

Names NameSets(int set) {
    switch (set) {
        case 0:  // one unit repeated: every name a prefix of the longer ones
            return Around(std::u16string(40, u'a'), {u"b", u"", u"\0"});
        case 1:  // a long stretch shared by the whole run, then a split at each position
        {
            Names names;
            const std::u16string shared(100, u'x');
            for (int i = 0; i < 30; ++i) names.push_back(shared + std::u16string(i % 11, u'y') + char16_t(u'0' + i % 7));
            return names;
        }
        case 2:  // zeros, surrogates, U+FFFF and U+00E9 at and around the key's edges
        {
            Names names;
            const char16_t odd[] = {0, 1, u'A', 0xE9, 0xD800, 0xDFFF, 0xE000, 0xFFFF};
            for (std::size_t at : {0u, 3u, 4u, 7u, 8u, 9u, 16u})
                for (char16_t unit : odd) {
                    std::u16string name(at, u'k');
                    name.push_back(unit);
                    names.push_back(name);
                    names.push_back(name + Units({0}));
                }
            return names;
        }
        default:  // `set - 3` random names from a small alphabet, many sharing prefixes
        {
            std::mt19937 random(set);
            const std::u16string alphabet = Units({u'a', u'b', 0, 0xFFFF, u'.'});
            Names names;
            for (int i = 0; i < set - 3; ++i) {
                std::u16string name(random() % 12, u'a');
                for (std::size_t k = 0; k < name.size(); ++k) name[k] = alphabet[random() % 3 == 0 ? random() % 5 : 0];
                names.push_back(name);
            }
            return names;
        }
    }
}

TEST(TreeOrder, EntriesAndChildrenInCodeUnitOrderLastDefinitionKept) {
    for (int set : {0, 1, 2, 4, 10, 19, 20, 21, 40, 300, 3000}) {
        SCOPED_TRACE("name set " + std::to_string(set));
        const Names names = NameSets(set);
        Names lines = names;
        lines.insert(lines.end(), names.begin(), names.end());  // every name at least twice
        std::shuffle(lines.begin(), lines.end(), std::mt19937(set));

        ResourceTree tree;
        std::map<std::u16string, std::u16string> lastText;
        std::map<std::u16string, GroupId> groupOf;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::u16string text = u"t" + std::u16string(1, char16_t(u'0' + i % 10)) + std::u16string(i / 10, u'+');
            tree.Value(ResourceTree::kRoot, lines[i], text);
            lastText[lines[i]] = text;
            const GroupId id = tree.Child(ResourceTree::kRoot, lines[i]);
            EXPECT_EQ(groupOf.emplace(lines[i], id).first->second, id) << "a second group for one name";
        }
        tree.Finish();

        const ResourceNode& root = tree.Group(ResourceTree::kRoot);
        ASSERT_EQ(root.valueCount, lastText.size());
        ASSERT_EQ(root.childCount, groupOf.size());
        auto expected = lastText.begin();
        auto expectedGroup = groupOf.begin();
        for (std::uint32_t i = 0; i < root.valueCount; ++i, ++expected, ++expectedGroup) {
            const ResourceEntry& entry = tree.ValueAt(root, i);
            ASSERT_EQ(std::u16string(entry.Name()), expected->first) << "entry " << i;
            EXPECT_EQ(entry.Text(), expected->second) << "entry " << i;
            ASSERT_EQ(tree.ChildAt(root, i), expectedGroup->second) << "child " << i;
            EXPECT_EQ(std::u16string(tree.Group(expectedGroup->second).Name()), expectedGroup->first);
        }
    }
}

// Every entry as "path=text" in the writers' order: depth first, a group's
// entries by name, then its children by name.
std::vector<std::u16string> Flatten(const ResourceTree& tree) {
    std::vector<std::u16string> out;
    std::vector<std::pair<GroupId, std::u16string>> stack{{ResourceTree::kRoot, u""}};
    while (!stack.empty()) {
        const auto [id, path] = stack.back();
        stack.pop_back();
        const ResourceNode& group = tree.Group(id);
        for (std::uint32_t i = 0; i < group.valueCount; ++i)
            out.push_back(path + std::u16string(tree.ValueAt(group, i).Name()) + u"=" + tree.ValueAt(group, i).Text());
        for (std::uint32_t i = group.childCount; i-- > 0;) {
            const GroupId child = tree.ChildAt(group, i);
            stack.push_back({child, path + std::u16string(tree.Group(child).Name()) + u"."});
        }
    }
    return out;
}

// Define takes lines in batches and skips the lookups of a group part equal
// to the line before's; it must build the tree Child and Value build one
// segment at a time. Runs of one group part, empty segments, deep and long
// group parts, across many batches, with Child and Value calls in between.
TEST(TreeOrder, DefineBuildsWhatChildAndValueBuild) {
    std::mt19937 random(11);
    const std::u16string segments[] = {u"", u"a", u"b", u"ab", std::u16string(70000, u'x'), u"a.b.a.b.a.b.a"};
    ResourceTree batched;
    ResourceTree direct;
    std::u16string name;
    for (int line = 0; line < 3000; ++line) {
        if (line <= 64) {  // a batch that ends with a repeated group part, then an empty one
            name = line < 64 ? u"q." : u".";
        } else if (random() % 2 != 0) {  // otherwise the group part of the line before
            name.clear();
            for (unsigned depth = random() % 4; depth > 0; --depth) name += segments[random() % 5 % 3 == 0 ? 0 : random() % 6] + u".";
        } else {
            name.erase(name.rfind(u'.') == std::u16string::npos ? 0 : name.rfind(u'.') + 1);
        }
        name += segments[random() % 4];
        const std::u16string text = u"t" + std::u16string(1, char16_t(u'0' + line % 10));
        batched.Define(name, text);
        GroupId group = ResourceTree::kRoot;
        std::size_t start = 0;
        for (std::size_t dot; (dot = name.find(u'.', start)) != std::u16string::npos; start = dot + 1)
            group = direct.Child(group, name.substr(start, dot - start));
        direct.Value(group, name.substr(start), text);
        if (line % 500 == 499) {  // the API in between completes a batch
            EXPECT_EQ(batched.Child(ResourceTree::kRoot, u"a"), batched.Child(ResourceTree::kRoot, u"a"));
            direct.Child(ResourceTree::kRoot, u"a");
        }
    }
    batched.Finish();
    direct.Finish();
    EXPECT_EQ(batched.GroupCount(), direct.GroupCount());
    EXPECT_TRUE(Flatten(batched) == Flatten(direct));
}

}  // namespace
}  // namespace textresgen
