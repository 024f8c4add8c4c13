// Reading definition files in UTF-16LE: byte-order marks, line-end
// translation, the end-of-input unit, U+FFFF, odd lengths, and all of these
// across read boundaries; the block-wise fast paths against the plain rules;
// lines of any length.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/failing_source.h"
#include "support/generated.h"
#include "support/read_lines.h"
#include "support/utf16_bytes.h"
#include "text/utf16_reader.h"

namespace textresgen::test {
namespace {

using namespace std::string_literals;

struct ReadCase {
    const char* name;
    std::string bytes;
    bool opens;
    Lines lines;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

const std::string kMark = "\xFF\xFE";

const ReadCase kReadCases[] = {
    // Marks
    {"NoMark", Utf16Le(u"k=v\n"), true, {u"k=v\n"}},
    {"MarkFFFE", kMark + Utf16Le(u"k=v\n"), true, {u"k=v\n"}},
    {"SecondMarkIsText", kMark + kMark + Utf16Le(u"a"), true, {u"\uFEFFa"}},
    {"BigEndianMarkRefused", "\xFE\xFF" + Utf16Le(u"k=v\n"), false, {}},
    {"BigEndianMarkAloneRefused", "\xFE\xFF", false, {}},
    {"ReversedMarkLaterIsText", Utf16Le(u"a\uFFFE"), true, {u"a\uFFFE"}},
    {"Utf8Mark", "\xEF\xBB\xBF" "k=v\n", true, {u"k=v\n"}},
    {"Utf8MarkAlone", "\xEF\xBB\xBF", true, {}},
    {"CutUtf8MarkIsUtf16", "\xEF\xBB", true, {u"\uBBEF"}},
    {"EmptyFile", "", true, {}},
    {"MarkAlone", kMark, true, {}},
    {"SingleByte", "A", true, {}},
    // CR LF rules
    {"CrLfBecomesLf", Utf16Le(u"a\r\nb\r\n"), true, {u"a\n", u"b\n"}},
    {"LfAlone", Utf16Le(u"a\nb\n"), true, {u"a\n", u"b\n"}},
    {"LoneCrKeptInsideLine", Utf16Le(u"a\rb\n"), true, {u"a\rb\n"}},
    {"CrCrLf", Utf16Le(u"a\r\r\nb"), true, {u"a\r\n", u"b"}},
    {"CrAtEndOfFile", Utf16Le(u"a\r"), true, {u"a\r"}},
    {"OnlyCr", Utf16Le(u"\r"), true, {u"\r"}},
    {"LfCr", Utf16Le(u"a\n\rb"), true, {u"a\n", u"\rb"}},
    {"EmptyLines", Utf16Le(u"\n\r\n\n"), true, {u"\n", u"\n", u"\n"}},
    {"LastLineWithoutLf", Utf16Le(u"a\nb"), true, {u"a\n", u"b"}},
    // U+001A ends the input
    {"EofUnitEndsInput", Utf16Le(u"a\nb\x1A" u"c\nd\n"), true, {u"a\n", u"b"}},
    {"EofUnitFirst", Utf16Le(u"\x1A" u"a\n"), true, {}},
    {"EofUnitAfterCr", Utf16Le(u"a\r\x1A\n"), true, {u"a\r"}},
    {"EofUnitAfterLf", Utf16Le(u"a\n\x1A"), true, {u"a\n"}},
    {"EofByteInUtf16IsNotEofUnit", Utf16Le(u"\u1A00\u001B"), true, {u"\u1A00\u001B"}},
    // U+FFFF is dropped wherever it stands and ends neither line nor input
    {"NonCharacterInsideLine", Utf16Le(u"a\uFFFFb\n"), true, {u"ab\n"}},
    {"NonCharacterAtLineStart", Utf16Le(u"a\n\uFFFFb\nc"), true, {u"a\n", u"b\n", u"c"}},
    {"NonCharacterAtFileStart", kMark + Utf16Le(u"\uFFFFk=v\n"), true, {u"k=v\n"}},
    {"NonCharacterAlone", Utf16Le(u"\uFFFF"), true, {}},
    {"NonCharacterThenLf", Utf16Le(u"\uFFFF\n"), true, {u"\n"}},
    {"NonCharacterBeforeEnd", Utf16Le(u"a\n\uFFFF\uFFFF"), true, {u"a\n"}},
    // Dropped after line-end translation, so it keeps a CR from pairing with
    // the LF behind it.
    {"NonCharacterBetweenCrAndLf", Utf16Le(u"a\r\uFFFF\nb"), true, {u"a\r\n", u"b"}},
    // Odd length: the last byte forms no unit and is ignored
    {"OddLastByteIgnored", Utf16Le(u"a\nb") + "c", true, {u"a\n", u"b"}},
    {"OddByteAfterCrIsNoLf", Utf16Le(u"a\r") + "\x0A", true, {u"a\r"}},
    {"OddByteAfterMark", kMark + "A", true, {}},
    // Units pass unchecked: U+0000 and lone surrogates reach the driver
    {"ZeroUnitDelivered", Utf16Le(u"a\0b\n"s), true, {u"a\0b\n"s}},
    {"SurrogatesUnchecked", Utf16Le(u"\U0001F600\xDC00\xD800\n"), true, {u"\U0001F600\xDC00\xD800\n"}},
};

class ReadUtf16 : public ::testing::TestWithParam<ReadCase> {};

// Every case gives the same lines whatever the read boundaries: a CR and its
// LF, or the two bytes of one unit, may arrive in different reads.
TEST_P(ReadUtf16, GivesLinesForEveryReadSize) {
    const ReadCase& c = GetParam();
    for (const std::size_t chunk : {1u, 2u, 3u, 4u, 5u, 7u, 1u << 20}) {
        SCOPED_TRACE("reads of at most " + std::to_string(chunk) + " bytes");
        const ReadResult result = ReadAllLines(c.bytes, chunk);
        EXPECT_EQ(result.opened, c.opens);
        EXPECT_EQ(result.lines, c.lines);
        EXPECT_FALSE(result.readFailed);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadUtf16, ::testing::ValuesIn(kReadCases),
                         [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

// The stream reads the file in large blocks of its own. Sliding the
// interesting units over a range of positions around the first block end
// (256 KiB, that is 131072 units, plus or minus the mark) puts them astride
// it in at least one run, wherever exactly the block ends.
constexpr std::size_t kBlockUnits = 256 * 1024 / 2;

TEST(ReadUtf16Blocks, CrLfAstrideBlockEnd) {
    for (const bool mark : {false, true}) {
        for (std::size_t before = kBlockUnits - 6; before <= kBlockUnits + 6; ++before) {
            SCOPED_TRACE("mark " + std::to_string(mark) + ", CR at unit " + std::to_string(before));
            const std::u16string head(before, u'x');
            const std::string bytes = (mark ? kMark : "") + Utf16Le(head + u"\r\ny\r");
            const ReadResult result = ReadAllLines(bytes);
            ASSERT_EQ(result.lines.size(), 2u);
            EXPECT_TRUE(result.lines[0] == head + u"\n") << "first line has " << result.lines[0].size() << " units";
            EXPECT_EQ(result.lines[1], u"y\r");
        }
    }
}

TEST(ReadUtf16Blocks, SurrogatePairAndNonCharacterAstrideBlockEnd) {
    for (std::size_t before = kBlockUnits - 6; before <= kBlockUnits + 6; ++before) {
        SCOPED_TRACE("pair at unit " + std::to_string(before));
        const std::u16string head(before, u'x');
        const ReadResult result = ReadAllLines(kMark + Utf16Le(head + u"\U0001F600\uFFFF\x1A" u"b\n"));
        ASSERT_EQ(result.lines.size(), 1u);
        EXPECT_TRUE(result.lines[0] == head + u"\U0001F600") << "line has " << result.lines[0].size() << " units";
    }
}

TEST(ReadUtf16Blocks, LineOfManyBlocksIsDeliveredWhole) {
    std::u16string line;
    for (std::size_t i = 0; i < 5 * kBlockUnits + 123; ++i) line.push_back(static_cast<char16_t>(u'a' + i % 26));
    line += u"\n";
    const ReadResult result = ReadAllLines(kMark + Utf16Le(line + u"next"));
    ASSERT_EQ(result.lines.size(), 2u);
    EXPECT_TRUE(result.lines[0] == line);
    EXPECT_EQ(result.lines[1], u"next");
}

TEST(ReadUtf16Errors, ErrorWhileProbingMarkRefusesOpen) {
    Utf16Reader file;
    EXPECT_FALSE(file.Open(std::make_unique<FailingSource>("\xFF", 1)));
}

// A read error is not the end of input: the line being assembled is not
// delivered as if complete, and the failure is reported.
TEST(ReadUtf16Errors, ErrorAfterSomeLinesIsReported) {
    for (const std::size_t chunk : {1u, 4u, 1u << 20}) {
        SCOPED_TRACE("reads of at most " + std::to_string(chunk) + " bytes");
        Utf16Reader file;
        ASSERT_TRUE(file.Open(std::make_unique<FailingSource>(kMark + Utf16Le(u"a=1\nb=2"), chunk)));
        Lines lines;
        WideStringView line;
        while (file.ReadLine(line)) lines.emplace_back(line);
        EXPECT_TRUE(file.ReadFailed());
        EXPECT_TRUE(lines.empty() || lines == Lines{u"a=1\n"});
        for (const auto& l : lines) EXPECT_EQ(l.back(), u'\n') << "an unfinished line was delivered";
    }
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
                EXPECT_EQ(ReadAllLines(Utf16LeWithMark(units), chunk).lines, LinesByTheRules(units))
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
        const std::vector<std::u16string> lines = ReadAllLines(Utf16LeWithMark(units), chunk).lines;
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], u"Long=" + text + u"\n");
        EXPECT_EQ(lines[1], u"next=1\n");
    }
}

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

}  // namespace
}  // namespace textresgen::test
