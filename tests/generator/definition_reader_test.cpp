// How each kind of definition line reaches the generated files: the line
// rules of the driver, seen in the source's assignments and the header's
// members.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "emit/header_writer.h"
#include "emit/source_writer.h"
#include "model/definition_reader.h"
#include "model/resource_tree.h"
#include "support/failing_source.h"
#include "support/generated.h"
#include "support/utf16_bytes.h"
#include "text/memory_bytes.h"
#include "text/utf16_reader.h"

namespace textresgen::test {
namespace {

using namespace std::string_literals;

struct LineCase {
    const char* name;
    std::u16string definition;
    Lines assignments;
    Lines headerBody;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

const LineCase kLineCases[] = {
    {"FirstEqualsSeparates", u"Zeta=a=b\n", {u"\tt.Zeta = L\"a=b\";"}, {u"\tS Zeta;"}},
    {"EmptyEntryNameAtRoot", u"=x\n", {u"\tt. = L\"x\";"}, {u"\tS ;"}},
    {"EmptyGroupSegment",
     u"a..b=x\n",
     {u"\tt.a..b = L\"x\";"},
     {u"", u"\tstruct _a", u"\t{", u"", u"\t\tstruct _", u"\t\t{", u"\t\t\tS b;", u"\t\t} ;", u"\t} a;"}},
    {"EmptyEntryNameInGroup",
     u"a.=x\n",
     {u"\tt.a. = L\"x\";"},
     {u"", u"\tstruct _a", u"\t{", u"\t\tS ;", u"\t} a;"}},
    {"EmptyRootGroupName", u".c=x\n", {u"\tt..c = L\"x\";"}, {u"", u"\tstruct _", u"\t{", u"\t\tS c;", u"\t} ;"}},
    {"OnlyDots",
     u"..=x",
     {u"\tt... = L\"x\";"},
     {u"", u"\tstruct _", u"\t{", u"", u"\t\tstruct _", u"\t\t{", u"\t\t\tS ;", u"\t\t} ;", u"\t} ;"}},
    {"SpacesAroundEqualsKept", u" k = v \n", {u"\tt. k  = L\" v \";"}, {u"\tS  k ;"}},
    {"TabsKept", u"\tk=\tv\t\n", {u"\tt.\tk = L\"\tv\t\";"}, {u"\tS \tk;"}},
    {"EmptyText", u"k=\n", {u"\tt.k = L\"\";"}, {u"\tS k;"}},
    {"CrLfEndsText", u"k=v\r\n", {u"\tt.k = L\"v\";"}, {u"\tS k;"}},
    {"LoneCrEndsText", u"k=a\rb\n", {u"\tt.k = L\"a\";"}, {u"\tS k;"}},
    {"CrInNameKept", u"k\r=v\n", {u"\tt.k\r = L\"v\";"}, {u"\tS k\r;"}},
    {"LastLineWithoutLf", u"j=w\nk=v", {u"\tt.j = L\"w\";", u"\tt.k = L\"v\";"}, {u"\tS j;", u"\tS k;"}},
    {"ZeroEndsLine", u"k=v\0w=x\n"s, {u"\tt.k = L\"v\";"}, {u"\tS k;"}},
    {"ZeroBeforeEqualsIgnoresLine", u"k\0=v\nj=w\n"s, {u"\tt.j = L\"w\";"}, {u"\tS j;"}},
    {"ZeroInGroupNameIgnoresLine", u"a\0.b=c\nd=e"s, {u"\tt.d = L\"e\";"}, {u"\tS d;"}},
    {"LinesWithoutEqualsIgnored",
     u"heading\n\n; comment\n   \nk=v\n# x\n\r\n",
     {u"\tt.k = L\"v\";"},
     {u"\tS k;"}},
    {"RepeatedNameLastWins",
     u"k=1\nj=x\nk=2\n",
     {u"\tt.j = L\"x\";", u"\tt.k = L\"2\";"},
     {u"\tS j;", u"\tS k;"}},
    {"RepeatedNestedNameLastWins",
     u"a.b=1\na.c=3\na.b=2\n",
     {u"\tt.a.b = L\"2\";", u"\tt.a.c = L\"3\";"},
     {u"", u"\tstruct _a", u"\t{", u"\t\tS b;", u"\t\tS c;", u"\t} a;"}},
    {"EntryAndGroupOfSameName",
     u"A.B=2\nA=1\n",
     {u"\tt.A = L\"1\";", u"\tt.A.B = L\"2\";"},
     {u"\tS A;", u"", u"\tstruct _A", u"\t{", u"\t\tS B;", u"\t} A;"}},
    {"TextCopiedUnchanged",
     u"k=\"q\\\" \\n 100%s %d\n",
     {u"\tt.k = L\"\"q\\\" \\n 100%s %d\";"},
     {u"\tS k;"}},
    {"NameCopiedUnchanged",
     u"1-x y.%s=v\n",
     {u"\tt.1-x y.%s = L\"v\";"},
     {u"", u"\tstruct _1-x y", u"\t{", u"\t\tS %s;", u"\t} 1-x y;"}},
    {"DotsAndEqualsInTextAreText", u"k=a.b=c\n", {u"\tt.k = L\"a.b=c\";"}, {u"\tS k;"}},
    {"NonAsciiKept",
     u"メニュー.開く=開く😀\n",
     {u"\tt.メニュー.開く = L\"開く😀\";"},
     {u"", u"\tstruct _メニュー", u"\t{", u"\t\tS 開く;", u"\t} メニュー;"}},
    {"EofUnitEndsDefinitions", u"a=1\n\x1A\nb=2\n", {u"\tt.a = L\"1\";"}, {u"\tS a;"}},
    {"NonCharacterDroppedEverywhere",
     u"\uFFFFk=v\nj\uFFFF=w\uFFFFx\n\uFFFF",
     {u"\tt.j = L\"wx\";", u"\tt.k = L\"v\";"},
     {u"\tS j;", u"\tS k;"}},
    {"GroupHoldingOnlyGroups",
     u"a.b.c=x",
     {u"\tt.a.b.c = L\"x\";"},
     {u"", u"\tstruct _a", u"\t{", u"", u"\t\tstruct _b", u"\t\t{", u"\t\t\tS c;", u"\t\t} b;", u"\t} a;"}},
    {"EntriesThenGroupsDepthFirst",
     u"a.y.z=3\nb=1\na.x=2\na.w.v=4\n",
     {u"\tt.b = L\"1\";", u"\tt.a.x = L\"2\";", u"\tt.a.w.v = L\"4\";", u"\tt.a.y.z = L\"3\";"},
     {u"\tS b;", u"", u"\tstruct _a", u"\t{", u"\t\tS x;", u"", u"\t\tstruct _w", u"\t\t{", u"\t\t\tS v;",
      u"\t\t} w;", u"", u"\t\tstruct _y", u"\t\t{", u"\t\t\tS z;", u"\t\t} y;", u"\t} a;"}},
    {"NoDefinitions", u"", {}, {}},
};

class DefinitionLines : public ::testing::TestWithParam<LineCase> {};

// The same units give the same files whether saved as UTF-16LE with or
// without mark, or as UTF-8 with mark.
TEST_P(DefinitionLines, ReachTheGeneratedFiles) {
    const LineCase& c = GetParam();
    const std::pair<const char*, std::string> encodings[] = {
        {"UTF-16LE with mark", Utf16LeWithMark(c.definition)},
        {"UTF-16LE without mark", Utf16Le(c.definition)},
        {"UTF-8 with mark", Utf8WithMark(Utf8FromUnits(c.definition))},
    };
    for (const auto& [encoding, bytes] : encodings) {
        SCOPED_TRACE(encoding);
        const GeneratedLines files = GenerateLines(bytes);
        ASSERT_TRUE(files.generated);
        EXPECT_EQ(Assignments(files), c.assignments);
        EXPECT_EQ(HeaderBody(files), c.headerBody);
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, DefinitionLines, ::testing::ValuesIn(kLineCases),
                         [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST(DefinitionFile, BigEndianMarkIsRefused) {
    EXPECT_FALSE(GenerateLines("\xFE\xFF" + Utf16Le(u"k=v\n")).generated);
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
    EXPECT_EQ(tree.PathCount(), 2u);  // the root and b
}

// A large file is read on a second thread: the same tree as on one, with
// lines of every kind past the lines read first, definitions too large to
// copy (at the start of a batch and after others), and a read error there.
std::string LargeDefinition() {
    std::u16string text = u"\xFEFF";
    for (int i = 0; i < 30000; ++i) {
        text += u"g" + UnitsFromUtf8(std::to_string(i % 97)) + u".k" + UnitsFromUtf8(std::to_string(i % 7919)) + u"=v" +
                UnitsFromUtf8(std::to_string(i)) + u"\r\n";
        if (i % 1000 == 999) text += u"no equals sign\n=empty name\n";
        if (i == 5000 || i == 5001 || i == 20000) text += u"big.k" + UnitsFromUtf8(std::to_string(i)) + u"=" + std::u16string(40000, u'\x3042') + u"\n";
    }
    return Utf16Le(text);
}

std::string ReadAndWrite(std::unique_ptr<ByteSource> definitions, unsigned threads, bool& read) {
    Utf16Reader input;
    EXPECT_TRUE(input.Open(std::move(definitions)));
    ResourceTree tree;
    read = ReadDefinitions(input, tree, threads);
    if (!read) return {};
    std::string source;
    std::string header;
    Utf16Writer file;
    file.Open(std::make_unique<MemorySink>(source));
    WriteSource(tree, file);
    file.Close();
    file.Open(std::make_unique<MemorySink>(header));
    WriteHeader(tree, file);
    file.Close();
    return source + header;
}

TEST(ReadingOnTwoThreads, SameTreeAsOneThread) {
    const std::string definition = LargeDefinition();
    bool read = false;
    const std::string expected = ReadAndWrite(std::make_unique<MemorySource>(definition, 3001), 1, read);
    ASSERT_TRUE(read);
    for (const unsigned threads : {2u, 3u}) {
        EXPECT_TRUE(ReadAndWrite(std::make_unique<MemorySource>(definition, 3001), threads, read) == expected);
        EXPECT_TRUE(read);
    }
    for (const std::size_t cut : {definition.size() / 2, definition.size() - 3}) {
        ReadAndWrite(std::make_unique<FailingSource>(definition.substr(0, cut), 3001), 2, read);
        EXPECT_FALSE(read) << cut;
    }
}

}  // namespace
}  // namespace textresgen::test
