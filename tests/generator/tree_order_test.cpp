// The tree's order against a plain model (nested std::maps, std::u16string's
// order: by unsigned code unit, a prefix first), on name sets built to reach
// every path of the keyed sort: names that end at, before and after the units
// one key holds, long stretches shared by a whole run, U+0000 inside entry
// names, surrogates and U+FFFF, empty segments, names defined several times,
// groups of every size around the point where short runs are sorted by plain
// comparison, and lines that reach the tree in batches and by its shortcut
// for a group part equal to the line before's. The walk taken in pieces
// (as the writers take it on several threads) must make the same steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "model/group_walk.h"
#include "model/resource_tree.h"

namespace textresgen {
namespace {

using Names = std::vector<std::u16string>;
using Trace = std::vector<std::u16string>;

std::u16string Units(std::initializer_list<char16_t> units) { return std::u16string(units); }

// The straightforward tree: a group's entries and children in std::maps.
struct Model {
    std::map<std::u16string, std::u16string> values;
    std::map<std::u16string, Model> children;

    void Define(const std::u16string& dotted, const std::u16string& text) {
        Model* group = this;
        std::size_t start = 0;
        for (std::size_t dot; (dot = dotted.find(u'.', start)) != std::u16string::npos; start = dot + 1)
            group = &group->children[dotted.substr(start, dot - start)];
        group->values[dotted.substr(start)] = text;
    }

    // "{name" on entering a group, "name=text" per entry, "}" on leaving.
    void Walk(const std::u16string& name, Trace& out) const {
        out.push_back(u"{" + name);
        for (const auto& [entry, text] : values) out.push_back(entry + u"=" + text);
        for (const auto& [child, group] : children) group.Walk(child, out);
        out.push_back(u"}");
    }
};

Trace ModelTrace(const Model& model) {
    Trace out;
    model.Walk(u"", out);
    return out;
}

Trace TreeTrace(const ResourceTree& tree) {
    struct Visitor {
        const ResourceTree& tree;
        Trace out;
        void Enter(const ResourceNode& group, std::size_t) { out.push_back(u"{" + std::u16string(group.Name())); }
        void Reopen(const ResourceNode&, std::size_t) {}
        void Entries(const ResourceNode& group, std::size_t) {
            for (std::uint32_t i = 0; i < group.valueCount; ++i)
                out.push_back(std::u16string(tree.ValueAt(group, i).Name()) + u"=" + tree.ValueAt(group, i).Text());
        }
        void Leave(const ResourceNode&, std::size_t) { out.push_back(u"}"); }
    } visitor{tree, {}};
    WalkGroups(tree, visitor);
    return visitor.out;
}

// The walk taken in pieces, cut before every entry position: each piece
// reopens the groups open at its start, at depths 0, 1, 2, ..., and the
// pieces together make the whole walk, depths included.
Trace PiecesTrace(const ResourceTree& tree, bool wholeWalk) {
    struct Visitor {
        const ResourceTree& tree;
        Trace out;
        std::size_t reopened = 0;
        void Enter(const ResourceNode& group, std::size_t depth) { Note(u"{" + std::u16string(group.Name()), depth); }
        void Reopen(const ResourceNode&, std::size_t depth) {
            if (depth != reopened++) out.push_back(u"reopened out of order");
        }
        void Entries(const ResourceNode& group, std::size_t depth) {
            for (std::uint32_t i = 0; i < group.valueCount; ++i)
                Note(std::u16string(tree.ValueAt(group, i).Name()) + u"=" + tree.ValueAt(group, i).Text(), depth);
        }
        void Leave(const ResourceNode&, std::size_t depth) { Note(u"}", depth); }
        void Note(const std::u16string& step, std::size_t depth) {
            out.push_back(step + u"@" + std::u16string(depth, u'+'));
        }
    } visitor{tree, {}};
    if (wholeWalk) {
        WalkGroups(tree, visitor);
        return visitor.out;
    }
    WalkCut from;
    for (std::size_t position = 1; position <= tree.PositionCount(); ++position) {
        const WalkCut to = position < tree.PositionCount() ? CutBefore(tree, position) : WalkEnd(tree);
        if (to == from) continue;
        visitor.reopened = 0;
        WalkGroups(tree, visitor, from, to);
        from = to;
    }
    if (from == WalkCut{}) WalkGroups(tree, visitor);  // no entries at all
    return visitor.out;
}

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
            return Around(std::u16string(40, u'a'), {u"b", u"", u"\0", u"."});
        case 1:  // a long stretch shared by the whole run, then a split at each position
        {
            Names names;
            const std::u16string shared(100, u'x');
            for (int i = 0; i < 30; ++i) names.push_back(shared + std::u16string(i % 11, u'y') + char16_t(u'0' + i % 7));
            return names;
        }
        case 2:  // zeros, dots, surrogates, U+FFFF and U+00E9 at and around the key's edges
        {
            Names names;
            const char16_t odd[] = {0, 1, u'-', u'.', u'/', u'A', 0xE9, 0xD800, 0xDFFF, 0xE000, 0xFFFF};
            for (std::size_t at : {0u, 3u, 4u, 7u, 8u, 9u, 16u})
                for (char16_t unit : odd) {
                    std::u16string name(at, u'k');
                    name.push_back(unit);
                    names.push_back(name);
                    names.push_back(name + Units({0}));
                    names.push_back(name + u"k");
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

// Every name of a set three ways: as an entry of the root (U+0000 kept, its
// dots made slashes), as a dotted name (U+0000 made U+0001: a definition
// line ends at U+0000), and as a group holding one entry. Each at least
// twice, in shuffled order, the last text kept.
TEST(TreeOrder, GroupsAndEntriesInCodeUnitOrderLastDefinitionKept) {
    for (int set : {0, 1, 2, 4, 10, 19, 20, 21, 40, 300, 3000}) {
        SCOPED_TRACE("name set " + std::to_string(set));
        Names lines;
        for (std::u16string name : NameSets(set)) {
            std::u16string rootEntry = name;
            std::replace(rootEntry.begin(), rootEntry.end(), u'.', u'/');
            std::replace(name.begin(), name.end(), u'\0', u'\1');
            for (const auto& line : {rootEntry, name, name + u".x"}) lines.insert(lines.end(), 2, line);
        }
        std::shuffle(lines.begin(), lines.end(), std::mt19937(set));

        ResourceTree tree;
        Model model;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::u16string text = u"t" + std::u16string(1, char16_t(u'0' + i % 10)) + std::u16string(i / 10, u'+');
            tree.Define(lines[i], text);
            model.Define(lines[i], text);
        }
        tree.Finish();
        ASSERT_EQ(TreeTrace(tree), ModelTrace(model));
        EXPECT_EQ(PiecesTrace(tree, false), PiecesTrace(tree, true));
    }
}

// Define takes lines in batches and skips the lookup of a group part equal
// to the line before's. Runs of one group part, empty segments, deep and long
// group parts, across many batches and growths of the lookup table.
TEST(TreeOrder, BatchesAndRunsOfOneGroupPart) {
    std::mt19937 random(11);
    const std::u16string segments[] = {u"", u"a", u"b", u"ab", std::u16string(70000, u'x'), u"a.b.a.b.a.b.a"};
    ResourceTree tree;
    Model model;
    std::u16string name;
    for (int line = 0; line < 6000; ++line) {
        if (line <= 64) {  // a batch that ends with a repeated group part, then an empty one
            name = line < 64 ? u"q." : u".";
        } else if (line % 3 == 0) {  // many distinct paths: the table grows
            name = u"n" + std::u16string(1, char16_t(u'A' + line % 50)) + u"." + std::u16string(line % 7, u'z') + u".";
        } else if (random() % 2 != 0) {  // otherwise the group part of the line before
            name.clear();
            for (unsigned depth = random() % 4; depth > 0; --depth) name += segments[random() % 5 % 3 == 0 ? 0 : random() % 6] + u".";
        } else {
            name.erase(name.rfind(u'.') == std::u16string::npos ? 0 : name.rfind(u'.') + 1);
        }
        name += segments[random() % 4];
        const std::u16string text = u"t" + std::u16string(1, char16_t(u'0' + line % 10));
        tree.Define(name, text);
        model.Define(name, text);
    }
    tree.Finish();
    EXPECT_TRUE(TreeTrace(tree) == ModelTrace(model));
}

// Large sorts are shared among threads: 40000 paths, a group of 40000
// entries, the root's entries whose names all share their first 12 units
// (no byte of the first key tells them apart), names defined twice; names
// all below U+0100 (keys of 16 units) and not. The same order on two and
// three threads as the model's.
TEST(TreeOrder, SortsSharedAmongThreads) {
    for (const char16_t high : {u'z', u'\x3042'}) {
        std::mt19937 random(5);
        const auto word = [&] {
            std::u16string w;
            for (unsigned n = 1 + random() % 6; n > 0; --n)
                w.push_back(n == 2 && random() % 4 == 0 ? high : char16_t(u'a' + random() % (n == 1 ? 3 : 26)));
            return w;
        };
        Names lines;
        for (int i = 0; i < 40000; ++i) {
            lines.push_back(word() + u"." + word() + (i % 2 ? u"." + word() : u"") + u".e");
            lines.push_back(u"big." + word() + word() + word());
            lines.push_back(u"common_prefix" + word() + word());
        }
        for (int i = 0; i < 6000; ++i) lines.push_back(lines[random() % lines.size()]);
        for (const unsigned threads : {2u, 3u}) {
            ResourceTree tree;
            Model model;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                const std::u16string text = u"t" + std::u16string(1, char16_t(u'0' + i % 10));
                tree.Define(lines[i], text);
                model.Define(lines[i], text);
            }
            tree.Finish(threads);
            EXPECT_TRUE(TreeTrace(tree) == ModelTrace(model)) << threads << " threads, " << int(high);
        }
    }
}

}  // namespace
}  // namespace textresgen
