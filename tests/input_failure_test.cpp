// The real executable when the definition file cannot be opened or read:
// "ERR!", status 0, and no output created or changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/fault_injection.h"
#include "support/file_lock.h"
#include "support/program_folder.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

using Names = std::vector<std::string>;

const std::string kOldSource = "old source, not generated";
const std::string kOldHeader = "old header, not generated";

// Earlier outputs in the folder, to show they are not touched.
void WriteOldOutputs(const ProgramFolder& folder) {
    folder.Write(kSource, kOldSource);
    folder.Write(kHeader, kOldHeader);
}

void ExpectOldOutputs(const ProgramFolder& folder) {
    EXPECT_EQ(folder.Read(kSource), kOldSource);
    EXPECT_EQ(folder.Read(kHeader), kOldHeader);
}

TEST(InputFailure, MissingInput) {
    ProgramFolder folder;
    const RunResult run = folder.Run();
    EXPECT_TRUE(ReportedFileError(run));
    EXPECT_EQ(run.out, std::string("\x45\x52\x52\x21\x0D\x0A"));
    EXPECT_EQ(folder.Entries(), Names{});
}

TEST(InputFailure, MissingInputLeavesOldOutputs) {
    ProgramFolder folder;
    WriteOldOutputs(folder);
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    ExpectOldOutputs(folder);
}

TEST(InputFailure, BigEndianMark) {
    ProgramFolder folder;
    folder.Write(kDefinition, "\xFE\xFF" + std::string("\0k\0=\0v\0\n", 8));
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    EXPECT_EQ(folder.Entries(), Names{kDefinition});
}

TEST(InputFailure, BigEndianMarkLeavesOldOutputs) {
    ProgramFolder folder;
    folder.Write(kDefinition, "\xFE\xFF");
    WriteOldOutputs(folder);
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    ExpectOldOutputs(folder);
}

TEST(InputFailure, InputIsDirectory) {
    ProgramFolder folder;
    std::filesystem::create_directory(folder / kDefinition);
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    EXPECT_EQ(folder.Entries(), Names{kDefinition});
    EXPECT_TRUE(std::filesystem::is_empty(folder / kDefinition));
}

// Held by a writer: reading is refused (a share mode on Windows, an
// advisory lock elsewhere).
TEST(InputFailure, InputHeldByWriter) {
    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(u"k=v\n"));
    WriteOldOutputs(folder);
    const ExclusiveHold hold(folder / kDefinition);
    ASSERT_TRUE(hold.Held());
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    ExpectOldOutputs(folder);
}

#ifndef _WIN32

// No read permission. With full rights (root) permission bits stop nothing,
// so the program then runs as an unprivileged user, in a folder where it
// could create the outputs.
TEST(InputFailure, UnreadableInput) {
    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(u"k=v\n"));
    std::filesystem::permissions(folder / kDefinition, std::filesystem::perms::none);
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::all);
    RunOptions options;
    options.dropPrivileges = true;
    const RunResult run = folder.Run(options);
    if (!run.started) GTEST_SKIP() << "cannot run the program as an unprivileged user: " << run.setupError;
    EXPECT_TRUE(ReportedFileError(run));
    EXPECT_EQ(folder.Entries(), Names{kDefinition});
}

TEST(InputFailure, SymlinkLoop) {
    ProgramFolder folder;
    std::filesystem::create_symlink(kDefinition, folder / kDefinition);
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    EXPECT_EQ(folder.Entries(), Names{kDefinition});
}

#endif

#ifdef __linux__

// A read error at the first byte: /proc/self/mem opens, but reading it at
// offset 0 (an unmapped address) fails with EIO.
TEST(InputFailure, ReadErrorAtStart) {
    ProgramFolder folder;
    std::filesystem::create_symlink("/proc/self/mem", folder / kDefinition);
    WriteOldOutputs(folder);
    EXPECT_TRUE(ReportedFileError(folder.Run()));
    ExpectOldOutputs(folder);
}

// A read error after half a megabyte of good definitions, injected by the
// preloaded fault library: nothing is written, nothing already there changes.
TEST(InputFailure, ReadErrorMidFile) {
    std::u16string definitions;
    for (int i = 0; definitions.size() < 400000; ++i) definitions += u"Group.Name" + UnitsFromUtf8(std::to_string(i)) + u"=text\r\n";
    const std::string bytes = Utf16LeWithMark(definitions);
    for (const bool oldOutputs : {false, true}) {
        SCOPED_TRACE(oldOutputs ? "with old outputs" : "without old outputs");
        ProgramFolder folder;
        folder.Write(kDefinition, bytes);
        if (oldOutputs) WriteOldOutputs(folder);
        RunOptions options;
        options.environment =
            FaultInjection({{"TEXTRESGEN_FAIL_READ", kDefinition}, {"TEXTRESGEN_FAIL_READ_AFTER", "500000"}});
        EXPECT_TRUE(ReportedFileError(folder.Run(options)));
        if (oldOutputs)
            ExpectOldOutputs(folder);
        else
            EXPECT_EQ(folder.Entries(), Names{kDefinition});
    }
}

// The same file and fault library without a fault: the injection is what
// made the run above fail.
TEST(InputFailure, ReadErrorMidFileControl) {
    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(u"k=v\n"));
    RunOptions options;
    options.environment =
        FaultInjection({{"TEXTRESGEN_FAIL_READ", kDefinition}, {"TEXTRESGEN_FAIL_READ_AFTER", "500000"}});
    EXPECT_TRUE(Succeeded(folder.Run(options)));
    EXPECT_EQ(folder.Read(kSource), SourceBytes({u"\tt.k = L\"v\";"}));
}

#endif

}  // namespace
}  // namespace textresgen::test
