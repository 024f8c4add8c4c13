// Reading definition files that start with the UTF-8 mark: decoding, the
// replacement of malformed input, and the line rules on the bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/read_lines.h"
#include "support/utf16_bytes.h"
#include "text/utf8_decoder.h"

namespace textresgen::test {
namespace {

using Lines = std::vector<std::u16string>;

struct Utf8Case {
    const char* name;
    std::string bytes;  // after the mark EF BB BF
    Lines lines;
};

void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }

// Malformed input: every maximal subpart of an ill-formed sequence (the
// longest prefix of a well-formed sequence, or a single byte that cannot
// start one) gives one U+FFFD. A sequence cut by the end of input gives
// nothing.
const Utf8Case kUtf8Cases[] = {
    {"Ascii", "k=v\n", {u"k=v\n"}},
    {"TwoByte", "\xC3\xA9\n", {u"\u00E9\n"}},
    {"ThreeByte", "\xE3\x81\x82", {u"\u3042"}},
    {"FourByteGivesSurrogatePair", "\xF0\x9F\x98\x80", {u"\U0001F600"}},
    {"LargestCodePoint", "\xF4\x8F\xBF\xBF", {u"\U0010FFFF"}},
    {"SmallestOfEachLength", "\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80", {u"\u0080\u0800\U00010000"}},
    {"NoncharacterFFFEKept", "\xEF\xBF\xBE", {u"\uFFFE"}},
    {"NoncharacterFFFFDropped", "a\xEF\xBF\xBF" "b\n", {u"ab\n"}},
    {"NoncharacterFFFFAtLineStart", "\xEF\xBF\xBF" "k=v\nj", {u"k=v\n", u"j"}},
    {"LoneContinuation", "a\x80" "b", {u"a\uFFFDb"}},
    {"TwoContinuations", "\x80\xBF", {u"\uFFFD\uFFFD"}},
    {"NeverLeadC0", "\xC0\xAF", {u"\uFFFD\uFFFD"}},
    {"NeverLeadC1", "\xC1\xBF", {u"\uFFFD\uFFFD"}},
    {"NeverLeadF5ToFF", "\xF5\xF8\xFC\xFE\xFF", {u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"}},
    {"OverlongThreeByte", "\xE0\x80\x80", {u"\uFFFD\uFFFD\uFFFD"}},
    {"OverlongFourByte", "\xF0\x8F\xBF\xBF", {u"\uFFFD\uFFFD\uFFFD\uFFFD"}},
    {"EncodedSurrogate", "\xED\xA0\x80", {u"\uFFFD\uFFFD\uFFFD"}},
    {"AboveUnicode", "\xF4\x90\x80\x80", {u"\uFFFD\uFFFD\uFFFD\uFFFD"}},
    {"TruncatedTwoByte", "\xC2" "a", {u"\uFFFDa"}},
    {"TruncatedThreeByteIsOneReplacement", "\xE1\x80" "a", {u"\uFFFDa"}},
    {"TruncatedFourByteIsOneReplacement", "\xF1\x80\x80" "a", {u"\uFFFDa"}},
    {"TruncatedBeforeLead", "\xC2\xC2\xA9", {u"\uFFFD\u00A9"}},
    {"TruncatedBeforeFourByte", "\xE3\x81\xF0\x9F\x98\x80", {u"\uFFFD\U0001F600"}},
    {"UnicodeSampleMixed", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
     {u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"}},
    {"TruncatedByLineEnd", "\xE3\x81\n\xC3\r\n", {u"\uFFFD\n", u"\uFFFD\n"}},
    {"CutByEndOfInputDropped", "a\xF0\x9F\x98", {u"a"}},
    {"CutTwoByteAtEndDropped", "a\n\xC3", {u"a\n"}},
    {"CutLeadAloneIsNoLine", "\xE3", {}},
    {"CutByEndOfInputByte", "a\xF0\x9F\x1A" "b\n", {u"a"}},
    // Line rules, applied to the bytes
    {"CrLf", "a\r\nb\r\n", {u"a\n", u"b\n"}},
    {"LoneCr", "a\rb", {u"a\rb"}},
    {"CrCrLf", "a\r\r\nb", {u"a\r\n", u"b"}},
    {"CrAtEnd", "a\r", {u"a\r"}},
    {"EofByteEndsInput", "a\nb\x1A" "c\n", {u"a\n", u"b"}},
    {"ZeroByteDelivered", std::string("a\0b", 3), {std::u16string(u"a\0b", 3)}},
    {"MarkAgainIsText", "\xEF\xBB\xBF" "a", {u"\uFEFFa"}},
};

class ReadUtf8 : public ::testing::TestWithParam<Utf8Case> {};

// Read boundaries anywhere, also inside a character, change nothing.
TEST_P(ReadUtf8, DecodesForEveryReadSize) {
    const Utf8Case& c = GetParam();
    for (const std::size_t chunk : {1u, 2u, 3u, 4u, 5u, 1u << 20}) {
        SCOPED_TRACE("reads of at most " + std::to_string(chunk) + " bytes");
        const ReadResult result = ReadAllLines(Utf8WithMark(c.bytes), chunk);
        EXPECT_TRUE(result.opened);
        EXPECT_EQ(result.lines, c.lines);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadUtf8, ::testing::ValuesIn(kUtf8Cases),
                         [](const ::testing::TestParamInfo<Utf8Case>& info) { return info.param.name; });

// Characters and CR LF astride the end of the stream's own first read block
// (256 KiB), over a range of positions so that every split is met.
constexpr std::size_t kBlockBytes = 256 * 1024;

TEST(ReadUtf8Blocks, CharactersAstrideBlockEnd) {
    for (std::size_t before = kBlockBytes - 8; before <= kBlockBytes + 8; ++before) {
        SCOPED_TRACE("character at byte " + std::to_string(before));
        const std::string head(before, 'x');
        const ReadResult result =
            ReadAllLines(Utf8WithMark(head + "\xF0\x9F\x98\x80\xE3\x81\x82\r\n\xE3\x81" "b"));
        ASSERT_EQ(result.lines.size(), 2u);
        EXPECT_TRUE(result.lines[0] == std::u16string(before, u'x') + u"\U0001F600\u3042\n");
        EXPECT_EQ(result.lines[1], u"\uFFFDb");
    }
}

TEST(ReadUtf8Blocks, MalformedAstrideBlockEnd) {
    for (std::size_t before = kBlockBytes - 8; before <= kBlockBytes + 8; ++before) {
        SCOPED_TRACE("sequence at byte " + std::to_string(before));
        const std::string head(before, 'x');
        const ReadResult result = ReadAllLines(Utf8WithMark(head + "\xF1\x80\x80\xE1\x80\xC2" "b\xF0\x9F"));
        ASSERT_EQ(result.lines.size(), 1u);
        EXPECT_TRUE(result.lines[0] == std::u16string(before, u'x') + u"\uFFFD\uFFFD\uFFFDb");
    }
}

// The one-character step that the tools decode with: only well-formed
// UTF-8 gives a character; anything else gives length 0.
TEST(DecodeUtf8Step, TakesOnlyWellFormedCharacters) {
    const struct {
        std::string bytes;
        std::size_t length;
        char32_t c;
    } cases[] = {
        {"a", 1, U'a'},           {"\xC2\x80", 2, 0x80},         {"\xE0\xA0\x80", 3, 0x800},
        {"\xF0\x9F\x98\x80", 4, 0x1F600}, {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF},
        {"\x80", 0, 0},          {"\xC0\xAF", 0, 0},           {"\xE0\x80\x80", 0, 0},
        {"\xED\xA0\x80", 0, 0}, {"\xF4\x90\x80\x80", 0, 0}, {"\xE3\x81", 0, 0},
        {"\xC3" "a", 0, 0},       {"\xF5\x80\x80\x80", 0, 0},
    };
    for (const auto& c : cases) {
        char32_t decoded = 0;
        const std::string text = "x" + c.bytes;
        EXPECT_EQ(DecodeUtf8Step(text, 1, decoded), c.length) << Printable(UnitsFromUtf8(c.bytes));
        if (c.length != 0) {
            EXPECT_EQ(decoded, c.c);
        }
    }
}

}  // namespace
}  // namespace textresgen::test
