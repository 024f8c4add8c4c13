// Lines of any length, nesting of any depth, and read errors, through the
// in-memory pipeline.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/definition_reader.h"
#include "model/resource_tree.h"
#include "support/failing_source.h"
#include "support/generated.h"
#include "support/utf16_bytes.h"
#include "text/memory_bytes.h"
#include "text/utf16_reader.h"

namespace textresgen::test {
namespace {

std::u16string Filler(std::size_t count) {
    std::u16string units;
    for (std::size_t i = 0; i < count; ++i) units.push_back(static_cast<char16_t>(u'a' + i % 26));
    return units;
}

// A text of 20000 units with a surrogate pair at units 14999 and 15000 and
// an "=" far behind them arrives whole: no piece of it becomes an entry of
// its own and the pair stays together.
TEST(LongLines, LongTextArrivesWhole) {
    const std::u16string text = Filler(14996) + u"\U0001F600" + Filler(1000) + u"=tail.x=y" + Filler(3991);
    ASSERT_EQ(text.size(), 19998u);
    const std::u16string line = u"k=" + text;
    ASSERT_EQ(line.substr(14998, 2), u"\U0001F600");
    for (const char* ending : {"\n", "\r\n", ""}) {
        SCOPED_TRACE(std::string("line ending \"") + (ending[0] == '\r' ? "CR LF" : ending[0] ? "LF" : "none") + "\"");
        const std::u16string ending16(ending, ending + std::char_traits<char>::length(ending));
        const GeneratedLines files = GenerateLines(Utf16LeWithMark(u"z=1\n" + line + ending16));
        const Lines assignments = Assignments(files);
        ASSERT_EQ(assignments.size(), 2u);
        EXPECT_TRUE(assignments[0] == u"\tt.k = L\"" + text + u"\";") << "k has " << assignments[0].size() << " units";
        EXPECT_EQ(assignments[1], u"\tt.z = L\"1\";");
        EXPECT_EQ(HeaderBody(files), (Lines{u"\tS k;", u"\tS z;"}));
    }
}

// Lines whose length with LF is around the old 15000-unit buffer, each
// ending in "a=b": a cut anywhere in them would make a bogus entry.
TEST(LongLines, LengthsAroundFifteenThousand) {
    for (std::size_t length = 14990; length <= 15010; ++length) {
        SCOPED_TRACE("line of " + std::to_string(length) + " units with LF");
        const std::u16string text = Filler(length - 6) + u"a=b";
        const GeneratedLines files = GenerateLines(Utf16LeWithMark(u"k=" + text + u"\n"));
        const Lines assignments = Assignments(files);
        ASSERT_EQ(assignments.size(), 1u);
        EXPECT_TRUE(assignments[0] == u"\tt.k = L\"" + text + u"\";");
    }
}

// A long name: many groups, each one tab deeper; the member path in the
// source is the whole dotted name.
TEST(DeepNesting, IndentationIsDepthInTabs) {
    constexpr std::size_t kDepth = 400;
    std::u16string name;
    for (std::size_t level = 1; level <= kDepth; ++level) name += u"g" + UnitsFromUtf8(std::to_string(level)) + u".";
    const GeneratedLines files = GenerateLines(Utf8WithMark(Utf8FromUnits(name + u"e=x\n")));

    Lines expected;
    for (std::size_t level = 1; level <= kDepth; ++level) {
        const std::u16string tabs(level, u'\t');
        expected.push_back(u"");
        expected.push_back(tabs + u"struct _g" + UnitsFromUtf8(std::to_string(level)));
        expected.push_back(tabs + u"{");
    }
    expected.push_back(std::u16string(kDepth + 1, u'\t') + u"S e;");
    for (std::size_t level = kDepth; level >= 1; --level)
        expected.push_back(std::u16string(level, u'\t') + u"} g" + UnitsFromUtf8(std::to_string(level)) + u";");
    EXPECT_TRUE(HeaderBody(files) == expected);
    EXPECT_EQ(Assignments(files), (Lines{u"\tt." + name + u"e = L\"x\";"}));
}

// A read error is not the end of input: the driver learns of it, whatever
// was read before, and writes nothing (the end-to-end tests show the rest).
TEST(ReadErrors, ReadDefinitionsReportsFailure) {
    const std::string definition = Utf16LeWithMark(u"a=1\nb.c=2\nd=3");
    for (std::size_t cut = 3; cut <= definition.size(); ++cut) {
        SCOPED_TRACE("read error after " + std::to_string(cut) + " bytes");
        Utf16Reader input;
        ASSERT_TRUE(input.Open(std::make_unique<FailingSource>(definition.substr(0, cut), 4)));
        ResourceTree tree;
        EXPECT_FALSE(ReadDefinitions(input, tree));
    }
}

TEST(ReadErrors, SameDefinitionWithoutErrorIsRead) {
    const std::string definition = Utf16LeWithMark(u"a=1\nb.c=2\nd=3");
    Utf16Reader input;
    ASSERT_TRUE(input.Open(std::make_unique<MemorySource>(definition, 4)));
    ResourceTree tree;
    ASSERT_TRUE(ReadDefinitions(input, tree));
    EXPECT_EQ(tree.EntryCount(), 3u);
    EXPECT_EQ(tree.GroupCount(), 2u);  // the root and b
}

}  // namespace
}  // namespace textresgen::test
