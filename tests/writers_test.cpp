// The two writers: the worked example and the empty tree, byte for byte
// against files written by hand (tests/golden/*.text, encoded by
// make-golden.sh), and nesting far deeper than any hand-written file.
#include <gtest/gtest.h>

#include <string>

#include "driver/generator.h"
#include "support/generated.h"
#include "support/golden.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

struct DefinitionCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const DefinitionCase& c, std::ostream* os) { *os << c.name; }

const DefinitionCase kExampleDefinitions[] = {
    {"Utf16CrLfWithMark",
     Utf16LeWithMark(u"Title=Hello\r\nZeta=a=b\r\nMenu.Edit=Edit\r\nMenu.File=File\r\nMenu.Sub.Open=Reopen\r\n")},
    {"Utf16LfNoMarkNoLastLf", Utf16Le(u"Title=Hello\nZeta=a=b\nMenu.Edit=Edit\nMenu.File=File\nMenu.Sub.Open=Reopen")},
    {"Utf8WithMark", Utf8WithMark("Title=Hello\r\nZeta=a=b\r\nMenu.Edit=Edit\r\nMenu.File=File\r\nMenu.Sub.Open=Reopen\r\n")},
    {"OtherOrder", Utf16LeWithMark(u"Menu.Sub.Open=Reopen\nZeta=a=b\nMenu.File=File\nTitle=Hello\nMenu.Edit=Edit\n")},
    {"CommentsAndReplacedValues",
     Utf16LeWithMark(u"[strings]\n\nTitle=Old\nMenu.Sub.Open=Open\n// Menu\nMenu.Edit=Edit\nMenu.File=File\n"
                     u"Menu.Sub.Open=Reopen\nZeta=a=b\nTitle=Hello\n")},
};

class GoldenExample : public ::testing::TestWithParam<DefinitionCase> {};

TEST_P(GoldenExample, MatchesHandWrittenFiles) {
    GeneratedFiles files;
    ASSERT_TRUE(GenerateInMemory(GetParam().bytes, files));
    EXPECT_TRUE(MatchesGolden(files.source, "example.cpp.golden"));
    EXPECT_TRUE(MatchesGolden(files.header, "example.h.golden"));
}

INSTANTIATE_TEST_SUITE_P(Definitions, GoldenExample, ::testing::ValuesIn(kExampleDefinitions),
                         [](const ::testing::TestParamInfo<DefinitionCase>& info) { return info.param.name; });

const DefinitionCase kEmptyDefinitions[] = {
    {"EmptyFile", ""},
    {"MarkOnly", "\xFF\xFE"},
    {"Utf8MarkOnly", "\xEF\xBB\xBF"},
    {"NoLineWithEquals", Utf16LeWithMark(u"[strings]\n\n; nothing here\r\nTitle Hello\n")},
    {"EqualsOnlyAfterEndOfInput", Utf16LeWithMark(u"heading\n\x1A" u"Title=Hello\n")},
};

class GoldenEmpty : public ::testing::TestWithParam<DefinitionCase> {};

TEST_P(GoldenEmpty, MatchesHandWrittenFiles) {
    GeneratedFiles files;
    ASSERT_TRUE(GenerateInMemory(GetParam().bytes, files));
    EXPECT_TRUE(MatchesGolden(files.source, "empty.cpp.golden"));
    EXPECT_TRUE(MatchesGolden(files.header, "empty.h.golden"));
}

INSTANTIATE_TEST_SUITE_P(Definitions, GoldenEmpty, ::testing::ValuesIn(kEmptyDefinitions),
                         [](const ::testing::TestParamInfo<DefinitionCase>& info) { return info.param.name; });

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

}  // namespace
}  // namespace textresgen::test
