// Writing generated files: the mark, UTF-16LE units, LF as CR LF, and the
// reporting of write and close failures.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/utf16_bytes.h"
#include "text/byte_stream.h"
#include "text/memory_bytes.h"
#include "text/utf16_writer.h"

namespace textresgen::test {
namespace {

using namespace std::string_literals;

std::string Written(void (*write)(Utf16Writer&)) {
    std::string bytes;
    Utf16Writer file;
    EXPECT_TRUE(file.Open(std::make_unique<MemorySink>(bytes)));
    write(file);
    file.Close();
    return bytes;
}

TEST(WriteUtf16, StreamWithoutPrintIsMarkOnly) {
    EXPECT_EQ(Written([](Utf16Writer&) {}), "\xFF\xFE");
}

TEST(WriteUtf16, LfBecomesCrLf) {
    EXPECT_EQ(Written([](Utf16Writer& f) { f.Print("{\n"); }), "\xFF\xFE" "\x7B\x00\x0D\x00\x0A\x00"s);
}

struct PrintCase {
    const char* name;
    const char* format;
    std::vector<std::u16string> arguments;
    std::string bytes;  // after the mark
};

void PrintTo(const PrintCase& c, std::ostream* os) { *os << c.name; }

const PrintCase kPrintCases[] = {
    {"PlainFormat", "#endif\n", {}, Utf16Le(u"#endif\r\n")},
    {"ArgumentsInOrder", "a%sb%sc", {u"1", u"2"}, Utf16Le(u"a1b2c")},
    {"EmptyArgument", "[%s]", {u""}, Utf16Le(u"[]")},
    {"PercentInArgumentIsNoFormat", "%s", {u"%s%d%n%%"}, Utf16Le(u"%s%d%n%%")},
    {"LfInArgument", "%s", {u"x\ny"}, Utf16Le(u"x\r\ny")},
    {"LoneCrStaysSingle", "%s", {u"\r"}, "\x0D\x00"s},
    {"CrLfInArgumentKeepsItsCr", "%s", {u"\r\n"}, "\x0D\x00\x0D\x00\x0A\x00"s},
    {"UnitsLowByteFirst", "%s", {u"\u3042\U0001F600"}, "\x42\x30\x3D\xD8\x00\xDE"s},
    {"NoUnitDropped", "%s", {u"\uFFFF\0\x1A\xDC00"s}, "\xFF\xFF\x00\x00\x1A\x00\x00\xDC"s},
    {"TabWrittenAsIs", "\t%s;\n", {u"S"}, Utf16Le(u"\tS;\r\n")},
};

class PrintUtf16 : public ::testing::TestWithParam<PrintCase> {};

TEST_P(PrintUtf16, WritesBytes) {
    const PrintCase& c = GetParam();
    std::string bytes;
    Utf16Writer file;
    ASSERT_TRUE(file.Open(std::make_unique<MemorySink>(bytes)));
    std::vector<WideStringView> views(c.arguments.begin(), c.arguments.end());
    switch (views.size()) {
        case 0: file.Print(c.format); break;
        case 1: file.Print(c.format, {views[0]}); break;
        default: file.Print(c.format, {views[0], views[1]}); break;
    }
    file.Close();
    EXPECT_EQ(bytes, "\xFF\xFE" + c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintUtf16, ::testing::ValuesIn(kPrintCases),
                         [](const ::testing::TestParamInfo<PrintCase>& info) { return info.param.name; });

// More than the stream's buffer (256 KiB), with LFs (four bytes each) placed
// so that some straddle every flush: the bytes are the same as written in
// one piece.
TEST(WriteUtf16, OutputLargerThanBufferIsComplete) {
    std::u16string text;
    for (std::size_t i = 0; i < 400000; ++i) text.push_back(i % 7 == 3 ? u'\n' : static_cast<char16_t>(0x3000 + i % 200));
    std::string expected = "\xFF\xFE";
    for (const char16_t unit : text) expected += unit == u'\n' ? Utf16Le(u"\r\n") : Utf16Le(std::u16string(1, unit));

    std::string bytes;
    Utf16Writer file;
    ASSERT_TRUE(file.Open(std::make_unique<MemorySink>(bytes)));
    file.PrintText(text);
    file.PrintRepeated(u'\t', 300000);
    file.PrintRepeated(u'\n', 3);
    // Units as they are, in pieces of every size around the buffer's: LF
    // stays LF, and narrow units come out as their wide selves.
    std::u16string pieces;
    const unsigned char narrow[] = {'A', 0xE9, '\n', 0xFF};
    for (std::size_t size = 1; size < 70000; size = size * 3 + 1) {
        const std::u16string piece(size, static_cast<char16_t>(u'\n' + size % 0x3000));
        file.PrintUnits(piece);
        file.PrintUnits({});
        file.PrintNarrowUnits(narrow, 4);
        pieces += piece + u"A\u00E9\n\u00FF";
    }
    file.Close();
    expected += Utf16Le(std::u16string(300000, u'\t')) + Utf16Le(u"\r\n\r\n\r\n") + Utf16Le(pieces);
    EXPECT_TRUE(bytes == expected) << "sizes " << bytes.size() << " and " << expected.size();
}

// Line ends printed one by one, starting after zero or one other unit: an
// LF (four bytes) then meets the end of the buffer at every possible
// position, the last two bytes included.
TEST(WriteUtf16, LineEndsMeetBufferEndAnywhere) {
    for (const std::size_t units : {0u, 1u}) {
        SCOPED_TRACE(std::to_string(units) + " unit(s) before the line ends");
        std::string bytes;
        Utf16Writer file;
        ASSERT_TRUE(file.Open(std::make_unique<MemorySink>(bytes)));
        if (units == 1) file.Print("x");
        for (int i = 0; i < 100000; ++i) file.Print("\n");
        file.Close();
        std::string expected = "\xFF\xFE" + std::string(units == 1 ? "x\0" : "", 2 * units);
        for (int i = 0; i < 100000; ++i) expected += "\x0D\x00\x0A\x00"s;
        EXPECT_TRUE(bytes == expected) << "sizes " << bytes.size() << " and " << expected.size();
    }
}

// A destination whose writes or close fail after a given number of bytes.
class FailingSink final : public ByteSink {
public:
    FailingSink(std::size_t writable, bool closeFails, bool& discarded)
        : writable_(writable), closeFails_(closeFails), discarded_(discarded) {}
    bool Write(const unsigned char*, std::size_t size) override {
        if (size > writable_) return false;
        writable_ -= size;
        return true;
    }
    bool Close() override { return !closeFails_; }
    void Discard() override { discarded_ = true; }

private:
    std::size_t writable_;
    bool closeFails_;
    bool& discarded_;
};

TEST(WriteUtf16Errors, WriteFailureIsThrownAtLatestOnClose) {
    bool discarded = false;
    Utf16Writer file;
    ASSERT_TRUE(file.Open(std::make_unique<FailingSink>(10, false, discarded)));
    EXPECT_THROW(
        {
            file.Print("more than ten bytes\n");
            file.Close();
        },
        OutputError);
    file.Discard();
    EXPECT_TRUE(discarded);
}

TEST(WriteUtf16Errors, WriteFailureInLargeOutputIsThrown) {
    bool discarded = false;
    Utf16Writer file;
    ASSERT_TRUE(file.Open(std::make_unique<FailingSink>(1000, false, discarded)));
    EXPECT_THROW(file.PrintRepeated(u'\t', 10'000'000), OutputError);
}

TEST(WriteUtf16Errors, CloseFailureIsThrown) {
    bool discarded = false;
    Utf16Writer file;
    ASSERT_TRUE(file.Open(std::make_unique<FailingSink>(1000, true, discarded)));
    file.Print("x\n");
    EXPECT_THROW(file.Close(), OutputError);
    // The caller then discards the output: the destination must still be
    // there to remove what was written.
    file.Discard();
    EXPECT_TRUE(discarded);
}

TEST(WriteUtf16Errors, SuccessfulCloseDiscardsNothing) {
    bool discarded = false;
    Utf16Writer file;
    ASSERT_TRUE(file.Open(std::make_unique<FailingSink>(1000, false, discarded)));
    file.Print("x\n");
    EXPECT_NO_THROW(file.Close());
    EXPECT_FALSE(discarded);
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

}  // namespace
}  // namespace textresgen::test
