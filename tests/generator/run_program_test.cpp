// The real executable on good input: the files it writes, its silence and
// its status.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/golden.h"
#include "support/program_folder.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

const std::u16string kExample =
    u"Title=Hello\r\nZeta=a=b\r\nMenu.Edit=Edit\r\nMenu.File=File\r\nMenu.Sub.Open=Reopen\r\n";

TEST(RunProgram, WorkedExampleGivesGoldenFiles) {
    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(kExample));
    EXPECT_TRUE(Succeeded(folder.Run()));
    EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "example.cpp.golden"));
    EXPECT_TRUE(MatchesGolden(folder.Read(kHeader).value_or(""), "example.h.golden"));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{kDefinition, kSource, kHeader}));
    EXPECT_EQ(folder.Read(kDefinition), Utf16LeWithMark(kExample)) << "the definition file was changed";
}

TEST(RunProgram, EmptyDefinitionGivesEmptyStructure) {
    ProgramFolder folder;
    folder.Write(kDefinition, "");
    EXPECT_TRUE(Succeeded(folder.Run()));
    EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "empty.cpp.golden"));
    EXPECT_TRUE(MatchesGolden(folder.Read(kHeader).value_or(""), "empty.h.golden"));
}

// Existing outputs, longer than the new ones, are replaced entirely.
TEST(RunProgram, ReplacesExistingOutputs) {
    ProgramFolder folder;
    folder.Write(kDefinition, Utf8WithMark("Title=Hello\nZeta=a=b\nMenu.Edit=Edit\nMenu.File=File\nMenu.Sub.Open=Reopen"));
    folder.Write(kSource, std::string(100000, 'S'));
    folder.Write(kHeader, std::string(100000, 'H'));
    EXPECT_TRUE(Succeeded(folder.Run()));
    EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "example.cpp.golden"));
    EXPECT_TRUE(MatchesGolden(folder.Read(kHeader).value_or(""), "example.h.golden"));
}

// Only the exact name is read: a definition file under another case or
// name is not the definition file (on a case-sensitive file system).
TEST(RunProgram, OtherNamesAreNotTheDefinition) {
    ProgramFolder folder;
    folder.Write("textresouce.txt", Utf16LeWithMark(kExample));
    folder.Write("TextResource.txt", Utf16LeWithMark(kExample));
    if (std::filesystem::exists(folder / kDefinition)) GTEST_SKIP() << "the file system ignores case";
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"TextResource.txt", "textresouce.txt"}));
}

}  // namespace
}  // namespace textresgen::test
