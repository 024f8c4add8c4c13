// Depth and size on the real executable: nesting far beyond the call stack,
// a line of millions of units, a million lines, megabytes of malformed
// UTF-8. Labelled "heavy" (ctest -LE heavy leaves them out).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/golden.h"
#include "support/program_folder.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

// Reads a file in blocks and compares it, piece by piece, with expected
// bytes handed over in order, so that neither side is ever held whole.
class StreamingComparison {
public:
    explicit StreamingComparison(const std::filesystem::path& path) : in_(path, std::ios::binary), block_(1 << 20) {
        if (!in_) failure_ = "cannot open " + path.string();
    }

    // The next expected bytes.
    void Expect(std::string_view expected) {
        while (!expected.empty() && failure_.empty()) {
            if (position_ == filled_ && !Fill()) {
                failure_ = "file ends at byte " + std::to_string(offset_) + ", " + std::to_string(expected.size()) +
                           " or more bytes early";
                return;
            }
            const std::size_t count = std::min(expected.size(), filled_ - position_);
            if (std::memcmp(block_.data() + position_, expected.data(), count) != 0) {
                std::size_t i = 0;
                while (block_[position_ + i] == expected[i]) ++i;
                failure_ = "first difference at byte offset " + std::to_string(offset_ + i);
                return;
            }
            position_ += count;
            offset_ += count;
            expected.remove_prefix(count);
        }
    }

    // Checks that the file ends here; the result of the whole comparison.
    ::testing::AssertionResult Finish() {
        if (failure_.empty() && (position_ < filled_ || Fill()))
            failure_ = "file goes on after the expected " + std::to_string(offset_) + " bytes";
        if (!failure_.empty()) return ::testing::AssertionFailure() << failure_;
        return ::testing::AssertionSuccess() << offset_ << " bytes as expected";
    }

    std::size_t Compared() const { return offset_; }

private:
    bool Fill() {
        in_.read(block_.data(), static_cast<std::streamsize>(block_.size()));
        filled_ = static_cast<std::size_t>(in_.gcount());
        position_ = 0;
        return filled_ > 0;
    }

    std::ifstream in_;
    std::vector<char> block_;
    std::size_t filled_ = 0;
    std::size_t position_ = 0;
    std::size_t offset_ = 0;
    std::string failure_;
};

// 14998 nested groups from one line "a.a. ... .a=x", under a 1 MiB stack:
// the header (about 675 MB) is checked against the rules as it streams by.
TEST(Heavy, DeepNestingUnderSmallStack) {
#ifndef _WIN32
    // On Windows the program itself is linked with a 1 MiB stack.
    if (!CanLimitResources()) GTEST_SKIP() << "no stack limit on this platform";
#endif
    constexpr std::size_t kGroups = 14998;
    std::u16string name;
    for (std::size_t level = 0; level < kGroups; ++level) name += u"a.";
    name += u"a";

    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(name + u"=x\r\n"));
    RunOptions options;
#ifndef _WIN32
    options.stackLimit = 1 << 20;
#endif
    ASSERT_TRUE(Succeeded(folder.Run(options)));

    EXPECT_EQ(folder.Read(kSource), SourceBytes({u"\tt." + name + u" = L\"x\";"}));

    // Expected header: each structure at depth d opens with an empty line,
    // "struct _a" and "{" indented by d tabs; the one entry sits at depth
    // 14998 + 1; each closes with "} a;" at d tabs.
    const std::string tabs = Utf16Le(std::u16string(kGroups + 1, u'\t'));
    const auto Tabs = [&](std::size_t depth) { return std::string_view(tabs).substr(0, 2 * depth); };
    const std::string lineEnd = Utf16Le(u"\r\n");
    const std::string openStruct = Utf16Le(u"struct _a\r\n");
    const std::string openBrace = Utf16Le(u"{\r\n");
    const std::string closeStruct = Utf16Le(u"} a;\r\n");

    StreamingComparison header(folder / kHeader);
    header.Expect(Utf16LeWithMark(u"#ifndef _TextResource_\r\n#define _TextResource_\r\n\r\nstruct TextResource\r\n{\r\n"
                                  u"\ttypedef const wchar_t* S;\r\n\r\n"));
    for (std::size_t depth = 1; depth <= kGroups; ++depth) {
        header.Expect(lineEnd);
        header.Expect(Tabs(depth));
        header.Expect(openStruct);
        header.Expect(Tabs(depth));
        header.Expect(openBrace);
    }
    header.Expect(Tabs(kGroups + 1));
    header.Expect(Utf16Le(u"S a;\r\n"));
    for (std::size_t depth = kGroups; depth >= 1; --depth) {
        header.Expect(Tabs(depth));
        header.Expect(closeStruct);
    }
    header.Expect(Utf16Le(u"};\r\n\r\n#endif\r\n"));
    EXPECT_TRUE(header.Finish());
    EXPECT_GT(header.Compared(), 670'000'000u);
}

// One line of six million units: Japanese text, surrogate pairs, and "=" and
// "." all through it. It is one entry, its text copied whole.
TEST(Heavy, SingleLineOfMillionsOfUnits) {
    std::u16string text;
    const std::u16string pieces[] = {u"テキスト", u"=", u"\U0001F600", u".", u"abc", u" ", u"\U00020BB7"};
    for (std::size_t i = 0; text.size() < 6'000'000; ++i) text += pieces[i % 7];
    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(u"Big.Line=" + text));
    ASSERT_TRUE(Succeeded(folder.Run()));
    EXPECT_TRUE(folder.Read(kSource) == SourceBytes({u"\tt.Big.Line = L\"" + text + u"\";"}));
    EXPECT_EQ(folder.Read(kHeader),
              Utf16LeWithMark(u"#ifndef _TextResource_\r\n#define _TextResource_\r\n\r\nstruct TextResource\r\n{\r\n"
                              u"\ttypedef const wchar_t* S;\r\n\r\n\r\n\tstruct _Big\r\n\t{\r\n\t\tS Line;\r\n\t} Big;\r\n"
                              u"};\r\n\r\n#endif\r\n"));
}

// A million lines without "=" (comments, blanks, lone CRs, dots), then one
// definition: it is read, and nothing else becomes an entry.
TEST(Heavy, MillionLinesWithoutEquals) {
    std::u16string definitions;
    definitions.reserve(40'000'000);
    const std::u16string lines[] = {u"\r", u"; comment line\r\n", u"\r\n", u"Heading.Text without equals\r\n",
                                    u"テキスト\n", u"\t \t\r\n"};
    for (std::size_t i = 0; i < 1'000'000; ++i) definitions += lines[i % 6];
    definitions += u"Last=1\r\n";
    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(definitions));
    ASSERT_TRUE(Succeeded(folder.Run()));
    EXPECT_EQ(folder.Read(kSource), SourceBytes({u"\tt.Last = L\"1\";"}));
    EXPECT_EQ(folder.Read(kHeader),
              Utf16LeWithMark(u"#ifndef _TextResource_\r\n#define _TextResource_\r\n\r\nstruct TextResource\r\n{\r\n"
                              u"\ttypedef const wchar_t* S;\r\n\r\n\tS Last;\r\n};\r\n\r\n#endif\r\n"));
}

// 24 malformed bytes giving 19 U+FFFD when followed by another copy or by
// LF (every maximal ill-formed subpart is one):
//   E1 80 | F1 80 80 | C2 | C0 | AF | E0 | 80 | 80 | ED | A0 | 80 |
//   F4 | 90 | 80 | 80 | FF | FE | 80 | F0 9F 98
// At the very end of the file the last three bytes are a cut sequence and
// give nothing.
const std::string kMalformed =
    "\xE1\x80" "\xF1\x80\x80" "\xC2" "\xC0\xAF" "\xE0\x80\x80" "\xED\xA0\x80" "\xF4\x90\x80\x80" "\xFF\xFE" "\x80"
    "\xF0\x9F\x98";
constexpr std::size_t kReplacementsPerCopy = 19;
constexpr std::size_t kCopies = 400'000;  // 9.6 MB

std::string MalformedBytes() {
    std::string bytes;
    bytes.reserve(kMalformed.size() * kCopies);
    for (std::size_t i = 0; i < kCopies; ++i) bytes += kMalformed;
    return bytes;
}

TEST(Heavy, Utf8FileOfOnlyMalformedBytes) {
    ASSERT_EQ(kMalformed.size(), 24u);
    ProgramFolder folder;
    folder.Write(kDefinition, Utf8WithMark(MalformedBytes()));
    ASSERT_TRUE(Succeeded(folder.Run()));
    EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "empty.cpp.golden"));
    EXPECT_TRUE(MatchesGolden(folder.Read(kHeader).value_or(""), "empty.h.golden"));
}

TEST(Heavy, Utf8TextOfOnlyMalformedBytes) {
    ProgramFolder folder;
    folder.Write(kDefinition, Utf8WithMark("k=" + MalformedBytes() + "\n"));
    ASSERT_TRUE(Succeeded(folder.Run()));
    const std::u16string text(kReplacementsPerCopy * kCopies, u'\uFFFD');
    EXPECT_TRUE(folder.Read(kSource) == SourceBytes({u"\tt.k = L\"" + text + u"\";"}));
}

#ifndef _WIN32

// A run ended by a signal at any moment (reading, writing either file,
// putting them in place) leaves each output as it was or complete, never cut
// off; the next run removes what the ended one left beside them. The
// definition is rewritten between the runs, so the old and the new outputs
// differ everywhere.
TEST(Heavy, SignalLeavesEachOutputAsItWasOrComplete) {
    // 20 MB of texts make the source large, 4000 nested groups the header
    // (about 50 MB), so that writing takes most of the run.
    const auto definition = [](char16_t letter) {
        std::u16string text;
        for (int i = 0; i < 200; ++i)
            text += u"Group" + UnitsFromUtf8(std::to_string(i % 7)) + u".Key" + letter + UnitsFromUtf8(std::to_string(i)) +
                    u"=" + std::u16string(50'000, letter) + u"\n";
        for (int level = 0; level < 4000; ++level) text += u"a.";
        return Utf16LeWithMark(text + u"Leaf" + letter + u"=x\n");
    };
    ProgramFolder folder;
    folder.Write(kDefinition, definition(u'o'));
    ASSERT_TRUE(Succeeded(folder.Run()));
    const std::optional<std::string> oldSource = folder.Read(kSource), oldHeader = folder.Read(kHeader);
    // The new pair, and how long a run over the old one takes.
    folder.Write(kDefinition, definition(u'n'));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Succeeded(folder.Run()));
    const auto runMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    const std::optional<std::string> newSource = folder.Read(kSource), newHeader = folder.Read(kHeader);
    ASSERT_FALSE(oldSource == newSource || oldHeader == newHeader);
    folder.Write(kSource, *oldSource);
    folder.Write(kHeader, *oldHeader);

    const struct {
        int signal;
        double atPartOfRun;
    } kCases[] = {{SIGTERM, 0.1}, {SIGKILL, 0.3}, {SIGINT, 0.5},  {SIGHUP, 0.6},  {SIGTERM, 0.7},  {SIGKILL, 0.8},
                  {SIGTERM, 0.9}, {SIGKILL, 0.95}, {SIGTERM, 1.0}, {SIGKILL, 1.05}, {SIGTERM, 1.2}, {SIGTERM, 3.0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE("signal " + std::to_string(c.signal) + " at " + std::to_string(c.atPartOfRun) + " of " +
                     std::to_string(runMs.count()) + " ms");
        RunOptions options;
        options.signal = c.signal;
        options.signalAfterMs = static_cast<unsigned>(c.atPartOfRun * static_cast<double>(runMs.count()));
        const RunResult run = folder.Run(options);
        ASSERT_TRUE(run.started) << run.setupError;
        const std::optional<std::string> source = folder.Read(kSource), header = folder.Read(kHeader);
        EXPECT_TRUE(source == oldSource || source == newSource) << "source of " << (source ? source->size() : 0) << " bytes";
        EXPECT_TRUE(header == oldHeader || header == newHeader) << "header of " << (header ? header->size() : 0) << " bytes";
        if (run.exited) {
            EXPECT_TRUE(source == newSource && header == newHeader);
        }
        // Back to the old pair for the next case.
        folder.Write(kSource, *oldSource);
        folder.Write(kHeader, *oldHeader);
    }
    ASSERT_TRUE(Succeeded(folder.Run()));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{kDefinition, kSource, kHeader}));
    EXPECT_TRUE(folder.Read(kSource) == newSource && folder.Read(kHeader) == newHeader);
}

#endif

}  // namespace
}  // namespace textresgen::test
