// The fuzz corpus replayed through the pipeline properties, and the property
// checks themselves shown to catch broken outputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/pipeline_properties.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"

namespace textresgen::properties {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;  // literals holding U+0000

const fs::path kCorpus = TEXTRESGEN_CORPUS_DIR;

// File names of the corpus, sorted.
std::vector<std::string> CorpusFiles() { return textresgen::test::SortedFileNames(kCorpus); }

// ---------------------------------------------------------------- replay

class CorpusReplay : public testing::TestWithParam<std::string> {};

TEST_P(CorpusReplay, KeepsEveryProperty) {
    const std::string definition = test::ReadFileBytes(kCorpus / GetParam()).value_or("");
    EXPECT_EQ(CheckPipeline(definition), "") << "corpus file " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplay, testing::ValuesIn(CorpusFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(CorpusReplay, CorpusIsThere) {
    // An empty or missing corpus folder would make the replay pass vacuously.
    EXPECT_GE(CorpusFiles().size(), 30u);
}

// Definitions larger than every read and write buffer size, so that buffers
// grow while lines, CR LF pairs and characters straddle the reads.
std::u16string LargeDefinitionText() {
    std::u16string text;
    for (int i = 0; text.size() < 300000; ++i) {
        const std::string digits = std::to_string(i);
        const std::u16string number(digits.begin(), digits.end());
        text += u"G" + std::u16string(1, static_cast<char16_t>(u'a' + i % 7)) + u".N" + number + u"=t" + number;
        text.append(static_cast<std::size_t>(i % 97), i % 3 == 0 ? u'\u65E5' : u'x');
        if (i % 5 == 0) text += u"\U0001F600";
        text += i % 2 == 0 ? u"\r\n" : u"\n";
        if (i % 400 == 0) text += std::u16string(5000, u'y') + u"=long\n";  // an entry with a long name
    }
    return text;
}

TEST(LargeDefinitions, KeepEveryPropertyAcrossBufferSizes) {
    const std::u16string text = LargeDefinitionText();
    const std::string utf16 = test::Utf16LeWithMark(text);
    const std::string utf8 = test::Utf8WithMark(test::Utf8FromUnits(text));
    ASSERT_GT(utf8.size(), 256u * 1024);  // past the largest read
    ASSERT_GT(utf16.size(), 2 * 256u * 1024);
    EXPECT_EQ(CheckPipeline(utf16), "");
    EXPECT_EQ(CheckPipeline(utf16.substr(2)), "");  // without the mark
    EXPECT_EQ(CheckPipeline(utf8), "");
    ASSERT_TRUE(ExpectedDefinitions(utf8).has_value());
    EXPECT_EQ(ExpectedDefinitions(utf8), ExpectedDefinitions(utf16));
}

// ---------------------------------------------------------------- expected definitions

TEST(ExpectedDefinitions, FollowsTheLineRules) {
    struct Case {
        const char* what;
        std::string definition;
        Definitions expected;
    };
    const Case cases[] = {
        {"later definition wins, only the first = separates",
         test::Utf16LeWithMark(u"a=1\r\nb.c=x=y\r\na=2\n"), {{u"a", u"2"}, {u"b.c", u"x=y"}}},
        {"no mark, text to the first CR, line without =",
         std::string("a\0=\0b\0\r\0c\0\n\0n\0o\0", 16), {{u"a", u"b"}}},
        {"U+0000 ends the line, U+FFFF is dropped",
         test::Utf16LeWithMark(u"a=1\u0000x\nb\uFFFF=2\uFFFF3\n\u0000c=4\n"s), {{u"a", u"1"}, {u"b", u"23"}}},
        {"U+001A ends the input, an odd last byte is no unit",
         test::Utf16LeWithMark(u"a=1\n\u001Ab=2\n"), {{u"a", u"1"}}},
        {"odd last byte", test::Utf16LeWithMark(u"a=1") + "\x32", {{u"a", u"1"}}},
        {"UTF-8 with its mark, astral character",
         "\xEF\xBB\xBF" "k=\xE6\x97\xA5\xF0\x9F\x98\x80\r\n", {{u"k", u"\u65E5\U0001F600"}}},
        {"UTF-8: the byte 1A ends the input", "\xEF\xBB\xBF" "a=1\x1A\nb=2", {{u"a", u"1"}}},
    };
    for (const Case& c : cases) {
        const std::optional<Definitions> got = ExpectedDefinitions(c.definition);
        ASSERT_TRUE(got.has_value()) << c.what;
        EXPECT_EQ(*got, c.expected) << c.what;
    }
}

TEST(ExpectedDefinitions, LeavesWhatItCannotDecodeSimply) {
    const std::string definitions[] = {
        "\xFE\xFF\0a"s,                    // big-endian mark
        "\xEF\xBB\xBF" "a=\xC0\xAF",       // overlong
        "\xEF\xBB\xBF" "a=\xED\xA0\x80",   // surrogate
        "\xEF\xBB\xBF" "a=\xE6\x97",       // cut short
        "\xEF\xBB\xBF" "a=\xF4\x90\x80\x80",  // past U+10FFFF
    };
    for (const std::string& definition : definitions)
        EXPECT_FALSE(ExpectedDefinitions(definition).has_value()) << definition;
}

// ---------------------------------------------------------------- the checks catch faults

TEST(GeneratedBytes, CatchesBrokenEncoding) {
    EXPECT_EQ(CheckGeneratedBytes("\xFF\xFE" "a\0\r\0\n\0"s), "");
    EXPECT_NE(CheckGeneratedBytes(std::string("a\0", 2)), "");                   // no mark
    EXPECT_NE(CheckGeneratedBytes("\xFF\xFE" "a"), "");                          // odd length
    EXPECT_NE(CheckGeneratedBytes(std::string("\xFF\xFE" "a\0\n\0", 6)), "");    // bare LF
    EXPECT_NE(CheckGeneratedBytes(std::string("\xFF\xFE\n\0", 4)), "");          // LF first
    // 0A 00 at an odd offset is no unit LF: "\u0A0D" then "\u0000".
    EXPECT_EQ(CheckGeneratedBytes(std::string("\xFF\xFE\x0D\x0A\x00\x00", 6)), "");
}

// A header for the definitions Title, Menu.Edit, Menu.Sub.Open, spelled out
// from the header layout; each case below breaks one thing about it.
std::vector<std::u16string> Lines(std::u16string_view text) {
    std::vector<std::u16string> lines(1);
    for (const char16_t unit : text) {
        if (unit == u'\n')
            lines.emplace_back();
        else
            lines.back().push_back(unit);
    }
    return lines;
}

const std::u16string kHeader =
    u"#ifndef _TextResource_\n#define _TextResource_\n\nstruct TextResource\n{\n"
    u"\ttypedef const wchar_t* S;\n\n"
    u"\tS Title;\n"
    u"\n\tstruct _Menu\n\t{\n\t\tS Edit;\n"
    u"\n\t\tstruct _Sub\n\t\t{\n\t\t\tS Open;\n\t\t} Sub;\n"
    u"\t} Menu;\n"
    u"};\n\n#endif\n";

TEST(HeaderMembers, ListsFullNamesInHeaderOrder) {
    std::vector<std::u16string> names;
    ASSERT_EQ(ParseHeaderMembers(Lines(kHeader), names), "");
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Title", u"Menu.Edit", u"Menu.Sub.Open"}));
}

TEST(HeaderMembers, CatchesBrokenHeaders) {
    struct Case {
        const char* what;
        std::u16string from;
        std::u16string to;
    };
    const Case cases[] = {
        {"wrong indentation", u"\t\tS Edit;", u"\tS Edit;"},
        {"closing name differs", u"\t} Menu;", u"\t} Menux;"},
        {"members out of order", u"\tS Title;\n", u"\tS Title;\n\tS Abc;\n"},
        {"member repeated", u"\tS Title;\n", u"\tS Title;\n\tS Title;\n"},
        {"member after a nested structure", u"\t} Menu;\n", u"\t} Menu;\n\tS Zeta;\n"},
        {"nested structures out of order", u"\t} Menu;\n", u"\t} Menu;\n\n\tstruct _A\n\t{\n\t\tS x;\n\t} A;\n"},
        {"structure without members", u"\t\tS Edit;\n", u"\t\tS Edit;\n\n\t\tstruct _E\n\t\t{\n\t\t} E;\n"},
        {"guard", u"#define _TextResource_", u"#define _TextResourc_"},
        {"typedef missing", u"\ttypedef const wchar_t* S;\n", u""},
        {"no line end at the end", u"#endif\n", u"#endif"},
        {"text after the end", u"#endif\n", u"#endif\nx"},
        {"unclosed structure", u"\t} Menu;\n", u""},
    };
    for (const Case& c : cases) {
        std::u16string header = kHeader;
        const std::size_t at = header.find(c.from);
        ASSERT_NE(at, std::u16string::npos) << c.what;
        header.replace(at, c.from.size(), c.to);
        std::vector<std::u16string> names;
        EXPECT_NE(ParseHeaderMembers(Lines(header), names), "") << c.what;
    }
}

const std::u16string kSource =
    u"#include \"textresouce.h\"\n\n\n"
    u"extern \"C\" __declspec(dllexport) void InitString(TextResource& t)\n{\n"
    u"\tt.Title = L\"Hello \"there\"\";\n"
    u"\tt.Menu.Edit = L\"\";\n"
    u"\tt.Menu.Sub.Open = L\"a = L\"b\";\n"
    u"}\n";

TEST(SourceAssignments, ReadsTextsByTheHeaderNames) {
    const std::vector<std::u16string> names{u"Title", u"Menu.Edit", u"Menu.Sub.Open"};
    Definitions assigned;
    ASSERT_EQ(ParseSourceAssignments(Lines(kSource), names, assigned), "");
    EXPECT_EQ(assigned, (Definitions{{u"Title", u"Hello \"there\""}, {u"Menu.Edit", u""},
                                     {u"Menu.Sub.Open", u"a = L\"b"}}));
}

TEST(SourceAssignments, CatchesBrokenSources) {
    const std::vector<std::u16string> names{u"Title", u"Menu.Edit", u"Menu.Sub.Open"};
    struct Case {
        const char* what;
        std::u16string from;
        std::u16string to;
    };
    const Case cases[] = {
        {"assignment missing", u"\tt.Menu.Edit = L\"\";\n", u""},
        {"assignment twice", u"\tt.Menu.Edit = L\"\";\n", u"\tt.Menu.Edit = L\"\";\n\tt.Menu.Edit = L\"\";\n"},
        {"out of header order", u"\tt.Title = L\"Hello \"there\"\";\n\tt.Menu.Edit = L\"\";\n",
         u"\tt.Menu.Edit = L\"\";\n\tt.Title = L\"Hello \"there\"\";\n"},
        {"two tabs", u"\tt.Menu.Edit", u"\t\tt.Menu.Edit"},
        {"literal not closed", u"L\"\";", u"L\"\""},
        {"wrong function", u"InitString(TextResource& t)", u"InitString(TextResource t)"},
        {"one empty line too few", u"\n\n\nextern", u"\n\nextern"},
        {"closing brace missing", u"}\n", u""},
    };
    for (const Case& c : cases) {
        std::u16string source = kSource;
        const std::size_t at = source.find(c.from);
        ASSERT_NE(at, std::u16string::npos) << c.what;
        source.replace(at, c.from.size(), c.to);
        Definitions assigned;
        EXPECT_NE(ParseSourceAssignments(Lines(source), names, assigned), "") << c.what;
    }
}

}  // namespace
}  // namespace textresgen::properties
