// The two writers: the worked example and the empty tree, byte for byte
// against files written by hand (tests/golden/*.text, encoded by
// make-golden.sh), and nesting far deeper than any hand-written file.
#include <gtest/gtest.h>

#include <string>

#include "driver/generator.h"
#include "emit/header_writer.h"
#include "emit/source_writer.h"
#include "model/definition_reader.h"
#include "text/memory_bytes.h"
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

// A tree of many shapes at once: entries of the root, groups nesting up to
// seven deep, groups of one entry and of hundreds, names defined twice (the
// replaced entries leave gaps in the entry order), texts with wide units.
ResourceTree PieceTree() {
    ResourceTree tree;
    for (int i = 0; i < 3000; ++i) {
        std::u16string name;
        for (int level = 0; level < (i * 7) % 8; ++level) name += u"g" + UnitsFromUtf8(std::to_string(i % (level + 3))) + u".";
        name += u"e" + UnitsFromUtf8(std::to_string(i % 1700));
        AddDefinitionLine(tree, name + u"=t" + UnitsFromUtf8(std::to_string(i)) + (i % 5 == 0 ? u"\u3042" : u""));
    }
    tree.Finish();
    return tree;
}

struct WrittenFiles {
    std::string source;
    std::string header;
};

WrittenFiles WriteBoth(const ResourceTree& tree, const PieceOptions& options) {
    WrittenFiles files;
    Utf16Writer source;
    source.Open(std::make_unique<MemorySink>(files.source));
    WriteSource(tree, source, options);
    source.Close();
    Utf16Writer header;
    header.Open(std::make_unique<MemorySink>(files.header));
    WriteHeader(tree, header, options);
    header.Close();
    return files;
}

// Cut into pieces and written by several threads, the files are byte for
// byte those one thread writes in one walk: pieces of one entry (cuts inside
// groups and at every group boundary), pieces that outgrow what they may hold
// and write straight to the file when their turn comes, more threads than
// cores.
TEST(WritingInPieces, SameBytesAsOneWalk) {
    const ResourceTree tree = PieceTree();
    PieceOptions oneThread;
    oneThread.threads = 1;
    const WrittenFiles expected = WriteBoth(tree, oneThread);
    ASSERT_GT(expected.header.size(), 100000u);
    const PieceOptions cases[] = {
        {1, 2, std::size_t{1} << 20}, {1, 3, 64}, {7, 2, 1}, {100, 4, 4096}, {2048, 2, std::size_t{4} << 20}};
    for (const PieceOptions& options : cases) {
        const WrittenFiles files = WriteBoth(tree, options);
        EXPECT_TRUE(files.source == expected.source) << options.positionsPerPiece << " " << options.heldBytes;
        EXPECT_TRUE(files.header == expected.header) << options.positionsPerPiece << " " << options.heldBytes;
    }
}

// A sink that fails after some bytes, as a full disk would.
class FillingSink final : public ByteSink {
public:
    explicit FillingSink(std::size_t room) : room_(room) {}
    bool Write(const unsigned char*, std::size_t size) override {
        if (size > room_) return false;
        room_ -= size;
        return true;
    }
    bool Close() override { return true; }
    void Discard() override {}

private:
    std::size_t room_;
};

// A write that fails while pieces are under way ends the writing with
// OutputError, every thread stopped, wherever it happens.
TEST(WritingInPieces, WriteFailureEndsEveryThread) {
    const ResourceTree tree = PieceTree();
    const std::size_t size = WriteBoth(tree, PieceOptions{}).header.size();
    for (const std::size_t room : {std::size_t{0}, size / 3, size - 1}) {
        for (const std::size_t held : {std::size_t{64}, std::size_t{1} << 20}) {
            Utf16Writer header;
            header.Open(std::make_unique<FillingSink>(room));
            EXPECT_THROW(
                {
                    WriteHeader(tree, header, PieceOptions{3, 2, held});
                    header.Close();
                },
                OutputError)
                << room << " " << held;
        }
    }
}

}  // namespace
}  // namespace textresgen::test
