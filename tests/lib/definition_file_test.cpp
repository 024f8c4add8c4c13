// One table of definition files through the one definition-line reader and
// through every program that reads such a file: each must find the lines the
// reader finds, keep the same last definitions, and give the reader's words
// when the file is refused or its reading stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "check/file_check.h"
#include "check/placeholder_compare.h"
#include "codec/literal_body.h"
#include "definition/definition_file.h"
#include "definition/definition_texts.h"
#include "l10n/base_file.h"
#include "plurals/plural_completion.h"
#include "support/failing_source.h"
#include "support/generated.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"
#include "text/memory_bytes.h"

namespace textresgen::test {
namespace {

using namespace std::string_literals;

enum class Delivery { Whole, ThenReadError, NotOpened };

struct Definition {
    std::size_t line;
    std::u16string name;
    std::u16string text;
};

struct Row {
    const char* what;
    std::string bytes;
    Delivery delivery;
    std::vector<Definition> definitions;  // every entry line, in file order
    std::string problem;                  // the reader's; empty: none
};

const std::string kBigEndian =
    "starts with the UTF-16 big-endian mark FE FF, which the generator refuses: save it as UTF-16LE, or as UTF-8 "
    "with its mark";

const std::string kEightBit =
    "looks like UTF-8 without the mark EF BB BF; save it with the mark or as UTF-16";

const Row kRows[] = {
    // Files as editors save them: 8-bit text without a mark is refused, as
    // the generator would read it as UTF-16LE nonsense.
    {"UTF-8 without a mark", "Title=Hello\nMenu.File=Caf\xC3\xA9\n", Delivery::Whole, {}, kEightBit},
    {"ASCII", "Title=Hello\r\nMenu.File=File\r\n", Delivery::Whole, {}, kEightBit},
    {"Shift-JIS", "Title=\x83\x5E\x83\x43\x83\x67\x83\x8B\r\n", Delivery::Whole, {}, kEightBit},
    {"Latin-1", "Caf=Caf\xE9 au lait\n", Delivery::Whole, {}, kEightBit},

    {"UTF-16LE with its mark", "\xFF\xFE" + Utf16Le(u"A=1\nB.c=2\n"), Delivery::Whole,
     {{1, u"A", u"1"}, {2, u"B.c", u"2"}}, ""},
    {"UTF-16LE without a mark, CR LF, no last LF", Utf16Le(u"A=1\r\nB=x y\r\nC=3"), Delivery::Whole,
     {{1, u"A", u"1"}, {2, u"B", u"x y"}, {3, u"C", u"3"}}, ""},
    {"UTF-8 with its mark", Utf8WithMark("A=\xC3\xA4\r\nMenu.Open\nB=2\n"), Delivery::Whole,
     {{1, u"A", u"\u00E4"}, {3, u"B", u"2"}}, ""},
    {"U+001A ends the input", Utf16Le(u"A=1\n\u001AB=2\n"), Delivery::Whole, {{1, u"A", u"1"}}, ""},
    {"U+FFFF dropped, a lone CR kept in the line", Utf16Le(u"A=x\uFFFFy\nB=a\rb\n"), Delivery::Whole,
     {{1, u"A", u"xy"}, {2, u"B", u"a"}}, ""},
    {"an unpaired surrogate", Utf16Le(u"A=1\nB=x\xD800y\n"), Delivery::Whole,
     {{1, u"A", u"1"}, {2, u"B", u"x\xD800y"}}, ""},
    {"an empty name", Utf16Le(u"=x\nA=1\n"), Delivery::Whole, {{1, u"", u"x"}, {2, u"A", u"1"}}, ""},
    {"lines without '='", Utf16Le(u"# note\nMenu.Open\n\nA=1\n"), Delivery::Whole, {{4, u"A", u"1"}}, ""},
    {"a repeated name", Utf16Le(u"A=1\nB=2\nA=3\n"), Delivery::Whole,
     {{1, u"A", u"1"}, {2, u"B", u"2"}, {3, u"A", u"3"}}, ""},
    {"the big-endian mark", "\xFE\xFF"s + "\0A\0=\0x"s, Delivery::Whole, {}, kBigEndian},
    {"a read error part way", Utf16Le(u"A=1\nB=2\n"), Delivery::ThenReadError, {{1, u"A", u"1"}, {2, u"B", u"2"}},
     "reading failed after line 2"},
    {"a read error at the first byte", "", Delivery::ThenReadError, {},
     "cannot be read: it is a folder, or reading it failed"},
    {"not opened", "", Delivery::NotOpened, {}, "cannot be opened: it is missing or not accessible"},
};

std::unique_ptr<ByteSource> SourceOf(const Row& row) {
    switch (row.delivery) {
        case Delivery::Whole: return std::make_unique<MemorySource>(row.bytes);
        case Delivery::ThenReadError: return std::make_unique<FailingSource>(row.bytes, row.bytes.size() + 1);
        case Delivery::NotOpened: break;
    }
    return nullptr;
}

std::string Utf8Of(std::u16string_view units) {
    LiteralValues values;
    std::string utf8;
    if (!UnitsToValues(units, values) || !ValuesToUtf8(values, utf8)) return "";
    return utf8;
}

void PrintTo(const Row& row, std::ostream* os) { *os << row.what; }

class EveryReader : public ::testing::TestWithParam<Row> {};

TEST_P(EveryReader, FindsTheReadersLinesAndGivesItsWords) {
    const Row& row = GetParam();

    // The reader itself.
    DefinitionFileReader reader;
    DefinitionTexts kept;
    std::vector<Definition> read;
    if (reader.Open(SourceOf(row))) {
        bool first = false;
        for (NumberedLine line; reader.Next(line);) {
            if (!line.definition.isEntry) continue;
            read.push_back({line.number, std::u16string(line.definition.name), std::u16string(line.definition.text)});
            kept.Add(line, first);
        }
    }
    ASSERT_EQ(read.size(), row.definitions.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].line, row.definitions[i].line) << i;
        EXPECT_TRUE(read[i].name == row.definitions[i].name) << i;
        EXPECT_TRUE(read[i].text == row.definitions[i].text) << i;
    }
    ASSERT_EQ(reader.Problem(), row.problem);

    // textrescheck: the same problem (a read error adds what the generator
    // then does), and each name at the line of its last definition.
    const textrescheck::FileCheck check = textrescheck::CheckDefinitionSource(SourceOf(row));
    EXPECT_EQ(check.problem.substr(0, row.problem.size()), row.problem);
    EXPECT_EQ(check.problem.empty(), row.problem.empty());
    std::size_t checkEntries = 0;
    check.index.ForEachEntry([&](auto group, WideStringView name, const auto& entry) {
        const DefinitionTexts::Entry* same = kept.Find(check.index.FullName(group, name));
        ASSERT_NE(same, nullptr);
        EXPECT_EQ(entry.lastLine, same->lastLine);
        ++checkEntries;
    });
    EXPECT_EQ(checkEntries, kept.Entries().size());

    // textresl10n's base file: the same problem; or one unit per name, at
    // its last definition; or an error at a line of the reader's.
    textresl10n::BaseFile base;
    textresl10n::ExchangeProblem error;
    if (textresl10n::ReadBaseSource(SourceOf(row), base, error)) {
        EXPECT_TRUE(row.problem.empty());
        ASSERT_EQ(base.units.size(), kept.Entries().size());
        for (std::size_t i = 0; i < base.units.size(); ++i) {
            EXPECT_EQ(base.units[i].Key(), Utf8Of(kept.Entries()[i].name)) << i;
            EXPECT_EQ(base.units[i].Line(), kept.Entries()[i].lastLine) << i;
        }
    } else if (!row.problem.empty()) {
        EXPECT_EQ(error.message, row.problem);
    } else {
        EXPECT_TRUE(std::any_of(read.begin(), read.end(), [&](const Definition& d) { return d.line == error.line; }))
            << error.message;
    }

    if (row.delivery == Delivery::ThenReadError) return;  // a file cannot fail on demand

    // textresgen-plurals and textrescheck's placeholder comparison, on a
    // file: the same refusal; the file copied as it is, no plural message
    // standing in it.
    TempDir folder;
    const std::string input = (folder / "TextResouce.txt").string();
    const std::string output = (folder / "out.txt").string();
    if (row.delivery == Delivery::Whole) {
        ASSERT_TRUE(WriteFileBytes(input, row.bytes));
    }
    std::vector<CompletionFailure> warnings;
    const std::vector<CompletionFailure> failures = CompletePluralGroups(input, output, warnings);
    if (row.problem.empty()) {
        EXPECT_TRUE(failures.empty());
        EXPECT_EQ(ReadFileBytes(output).value_or(""), row.bytes);
    } else {
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].message, row.problem);
    }
    EXPECT_EQ(textrescheck::PlaceholderReference::Read(input).has_value(), row.problem.empty());

    // The generator: refuses what the reader refuses, and assigns each
    // name's last text.
    // 8-bit text is the one refusal of the companion programs alone: the
    // generator reads any file without a mark as UTF-16LE, by design.
    if (row.delivery == Delivery::NotOpened || row.problem == kEightBit) return;
    const GeneratedLines generated = GenerateLines(row.bytes);
    EXPECT_EQ(generated.generated, row.problem.empty());
    if (!generated.generated) return;
    Lines expected;
    for (const DefinitionTexts::Entry& entry : kept.Entries())
        expected.push_back(u"\tt." + std::u16string(entry.name) + u" = L\"" + std::u16string(entry.text) + u"\";");
    Lines assigned = Assignments(generated);
    std::sort(expected.begin(), expected.end());
    std::sort(assigned.begin(), assigned.end());
    EXPECT_TRUE(assigned == expected);
}

INSTANTIATE_TEST_SUITE_P(DefinitionFiles, EveryReader, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             std::string name;
                             for (const char c : std::string(info.param.what))
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             return name;
                         });

// Bytes that are no UTF-8 in a file with the UTF-8 mark (Latin-1 é, a
// lead byte without its continuation, a sequence cut by the end of the
// file): a warning at each such line from textrescheck, an error at the
// first from textresgen-plurals, which the build runs. Thousands of
// well-formed é between them, some across the reader's reads, are none.
TEST(MalformedUtf8, WarnedByTheCheckerRefusedByTheBuild) {
    constexpr std::size_t kWellFormed = 3000;
    std::string body = "A=Caf\xE9 au lait\n";
    for (std::size_t i = 0; i < kWellFormed; ++i) body += "B=\xC3\xA9\n";
    const std::string bytes = Utf8WithMark(body + "C=\xE2\x82x\nD=ok\nE=\xF0\x9F");
    const textrescheck::FileCheck check = textrescheck::CheckDefinitionSource(std::make_unique<MemorySource>(bytes));
    std::vector<std::size_t> lines;
    for (const auto& finding : check.findings)
        if (finding.message == kMalformedUtf8) lines.push_back(finding.line);
    EXPECT_EQ(lines, (std::vector<std::size_t>{1, kWellFormed + 2, kWellFormed + 4}));

    TempDir folder;
    ASSERT_TRUE(WriteFileBytes(folder / "TextResouce.txt", bytes));
    std::vector<CompletionFailure> warnings;
    const std::vector<CompletionFailure> failures =
        CompletePluralGroups((folder / "TextResouce.txt").string(), (folder / "out.txt").string(), warnings);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].line, 1u);
    EXPECT_EQ(failures[0].message, kMalformedUtf8);
}

}  // namespace
}  // namespace textresgen::test
