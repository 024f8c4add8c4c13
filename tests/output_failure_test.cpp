// The real executable when an output cannot be created, written or closed:
// "ERR!", status 0, the run ends at once, and the files are what they must
// be: a complete source or none, no header opened after a failure on the
// source, an existing header untouched when it cannot be opened.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/fault_injection.h"
#include "support/file_lock.h"
#include "support/golden.h"
#include "support/program_folder.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

using Names = std::vector<std::string>;

const std::string kOldHeader = "old header, not generated";

std::string ExampleDefinition() {
    return Utf16LeWithMark(u"Title=Hello\r\nZeta=a=b\r\nMenu.Edit=Edit\r\nMenu.File=File\r\nMenu.Sub.Open=Reopen\r\n");
}

TEST(OutputFailure, SourceIsDirectory) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    std::filesystem::create_directory(folder / kSource);
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    EXPECT_EQ(folder.Entries(), (Names{kDefinition, kSource}));
    EXPECT_TRUE(std::filesystem::is_empty(folder / kSource));
}

TEST(OutputFailure, SourceIsDirectoryLeavesOldHeader) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    std::filesystem::create_directory(folder / kSource);
    folder.Write(kHeader, kOldHeader);
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    EXPECT_EQ(folder.Read(kHeader), kOldHeader);
}

TEST(OutputFailure, HeaderIsDirectory) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    std::filesystem::create_directory(folder / kHeader);
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "example.cpp.golden"));
    EXPECT_TRUE(std::filesystem::is_empty(folder / kHeader));
}

// An existing header held by another program: it cannot be opened, and
// stays as it was; the source is complete.
TEST(OutputFailure, HeldHeaderIsUntouched) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    folder.Write(kHeader, kOldHeader);
    {
        // Released before the checks: on Windows the hold blocks our reads too.
        const ExclusiveHold hold(folder / kHeader);
        ASSERT_TRUE(hold.Held());
        EXPECT_TRUE(ReportedFileError(folder.Run()));
    }
    EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "example.cpp.golden"));
    EXPECT_EQ(folder.Read(kHeader), kOldHeader);
}

// An existing source held by another program: it stays as it was, and the
// header is not opened.
TEST(OutputFailure, HeldSourceIsUntouched) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    folder.Write(kSource, "old source");
    folder.Write(kHeader, kOldHeader);
    {
        const ExclusiveHold hold(folder / kSource);
        ASSERT_TRUE(hold.Held());
        EXPECT_TRUE(ReportedFileError(folder.Run()));
    }
    EXPECT_EQ(folder.Read(kSource), "old source");
    EXPECT_EQ(folder.Read(kHeader), kOldHeader);
}

#ifdef __linux__

// /dev/full accepts the open and fails every write with ENOSPC. A link to it
// stands in for a full disk; the link itself is not the program's to remove.
TEST(OutputFailure, SourceOnFullDevice) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    std::filesystem::create_symlink("/dev/full", folder / kSource);
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    EXPECT_EQ(folder.Entries(), (Names{kDefinition, kSource}));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / kSource));
    EXPECT_EQ(std::filesystem::read_symlink(folder / kSource), "/dev/full");
}

TEST(OutputFailure, SourceOnFullDeviceLeavesOldHeader) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    std::filesystem::create_symlink("/dev/full", folder / kSource);
    folder.Write(kHeader, kOldHeader);
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    EXPECT_EQ(folder.Read(kHeader), kOldHeader);
}

TEST(OutputFailure, HeaderOnFullDevice) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    std::filesystem::create_symlink("/dev/full", folder / kHeader);
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "example.cpp.golden"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / kHeader));
    EXPECT_EQ(std::filesystem::read_symlink(folder / kHeader), "/dev/full");
}

#endif

#ifndef _WIN32

// A regular file that fills up part way (a file size limit makes the write
// past it fail with EFBIG): the partly written file is removed.
TEST(OutputFailure, SourceWriteFailsPartWay) {
    std::u16string definitions;
    for (int i = 0; i < 3000; ++i) definitions += u"Key" + UnitsFromUtf8(std::to_string(i)) + u"=a text of some length\n";
    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(definitions));
    folder.Write(kHeader, kOldHeader);
    RunOptions options;
    options.fileSizeLimit = 100000;
    EXPECT_TRUE(ReportedFileError(folder.Run(options)));
    EXPECT_EQ(folder.Entries(), (Names{kDefinition, kHeader}));
    EXPECT_EQ(folder.Read(kHeader), kOldHeader);
}

// Deep nesting makes the header much larger than the source: the source is
// written whole, the header fails part way and is removed.
TEST(OutputFailure, HeaderWriteFailsPartWay) {
    std::u16string name;
    for (int level = 0; level < 150; ++level) name += u"a.";
    name += u"a";
    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(name + u"=x\n"));
    RunOptions options;
    options.fileSizeLimit = 20000;
    EXPECT_TRUE(ReportedFileError(folder.Run(options)));
    EXPECT_EQ(folder.Entries(), (Names{kDefinition, kSource}));
    EXPECT_EQ(folder.Read(kSource), SourceBytes({u"\tt." + name + u" = L\"x\";"}));
}

// A partial source that cannot be removed (the folder is read-only) is
// emptied, so that nothing that looks complete but is not remains.
TEST(OutputFailure, PartialSourceInReadOnlyFolderIsEmptied) {
    std::u16string definitions;
    for (int i = 0; i < 3000; ++i) definitions += u"Key" + UnitsFromUtf8(std::to_string(i)) + u"=a text of some length\n";
    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(definitions));
    folder.Write(kSource, "an old source");
    namespace fs = std::filesystem;
    fs::permissions(folder / kSource, fs::perms::all);
    fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    RunOptions options;
    options.fileSizeLimit = 100000;
    options.dropPrivileges = true;  // so that the folder's permissions apply
    const RunResult run = folder.Run(options);
    fs::permissions(folder.Path(), fs::perms::owner_all);
    if (!run.started) GTEST_SKIP() << "cannot run the program as an unprivileged user: " << run.setupError;
    EXPECT_TRUE(ReportedFileError(run));
    EXPECT_EQ(folder.Entries(), (Names{kDefinition, kSource}));
    EXPECT_EQ(folder.Read(kSource), "");
}

// The same header fits without the limit: the limit is what failed it.
TEST(OutputFailure, HeaderWriteFailsPartWayControl) {
    std::u16string name;
    for (int level = 0; level < 150; ++level) name += u"a.";
    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(name + u"a=x\n"));
    RunOptions options;
    options.fileSizeLimit = 1000000;
    EXPECT_TRUE(Succeeded(folder.Run(options)));
    const auto header = folder.Read(kHeader);
    ASSERT_TRUE(header.has_value());
    EXPECT_GT(header->size(), 20000u);
}

#endif

#ifdef __linux__

// close() reporting EIO (as a delayed write error would), injected by the
// preloaded fault library: the closed file is removed.
TEST(OutputFailure, SourceCloseFails) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    folder.Write(kHeader, kOldHeader);
    RunOptions options;
    options.environment = FaultInjection({{"TEXTRESGEN_FAIL_CLOSE", kSource}});
    EXPECT_TRUE(ReportedFileError(folder.Run(options)));
    EXPECT_EQ(folder.Entries(), (Names{kDefinition, kHeader}));
    EXPECT_EQ(folder.Read(kHeader), kOldHeader);
}

TEST(OutputFailure, HeaderCloseFails) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    RunOptions options;
    options.environment = FaultInjection({{"TEXTRESGEN_FAIL_CLOSE", kHeader}});
    EXPECT_TRUE(ReportedFileError(folder.Run(options)));
    EXPECT_EQ(folder.Entries(), (Names{kDefinition, kSource}));
    EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "example.cpp.golden"));
}

// The fault library without a fault to inject changes nothing.
TEST(OutputFailure, CloseFailureControl) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    RunOptions options;
    options.environment = FaultInjection({{"TEXTRESGEN_FAIL_CLOSE", "some.other.file"}});
    EXPECT_TRUE(Succeeded(folder.Run(options)));
    EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "example.cpp.golden"));
    EXPECT_TRUE(MatchesGolden(folder.Read(kHeader).value_or(""), "example.h.golden"));
}

#endif

}  // namespace
}  // namespace textresgen::test
