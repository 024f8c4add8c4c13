// The real executable when an output cannot be created, written or closed:
// "ERR!", status 0, the run ends at once, and the files are what they must
// be: a complete source or none, no header opened after a failure on the
// source, an existing header untouched when it cannot be opened.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#endif
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

const std::string kOldOutput = "old output, not generated";

std::string ExampleDefinition() {
    return Utf16LeWithMark(u"Title=Hello\r\nZeta=a=b\r\nMenu.Edit=Edit\r\nMenu.File=File\r\nMenu.Sub.Open=Reopen\r\n");
}

// An output that cannot be opened: a folder in its place, a file another
// program holds, or (Linux) a link to /dev/full, which opens but fails every
// write with ENOSPC, standing in for a full disk.
enum class Blocker { Folder, Held, FullDevice };

struct BlockedCase {
    const char* name;
    const char* output;  // kSource or kHeader
    Blocker blocker;
};

const BlockedCase kBlockedCases[] = {
    {"SourceIsFolder", kSource, Blocker::Folder},
    {"HeaderIsFolder", kHeader, Blocker::Folder},
    {"SourceHeld", kSource, Blocker::Held},
    {"HeaderHeld", kHeader, Blocker::Held},
#ifdef __linux__
    {"SourceOnFullDevice", kSource, Blocker::FullDevice},
    {"HeaderOnFullDevice", kHeader, Blocker::FullDevice},
#endif
};

void PrintTo(const BlockedCase& c, std::ostream* os) { *os << c.name; }

class BlockedOutput : public ::testing::TestWithParam<BlockedCase> {};

// Each case runs with and without an old file beside the blocked one. A
// blocked source ends the run before the header is opened; a blocked header
// leaves a complete source. What stands in the blocked output's place is
// never changed: the folder stays empty, the held file keeps its bytes, the
// link is not the program's to remove.
TEST_P(BlockedOutput, ReportsAndLeavesTheRestSound) {
    const BlockedCase& c = GetParam();
    const bool blockingSource = std::string(c.output) == kSource;
    const char* other = blockingSource ? kHeader : kSource;
    const std::string kOldOther = "old file, not generated";
    for (const bool oldOther : {false, true}) {
        SCOPED_TRACE(oldOther ? "beside an old file" : "alone");
        ProgramFolder folder;
        folder.Write(kDefinition, ExampleDefinition());
        if (oldOther) folder.Write(other, kOldOther);
        RunResult run;
        switch (c.blocker) {
            case Blocker::Folder:
                std::filesystem::create_directory(folder / c.output);
                run = folder.Run();
                break;
            case Blocker::FullDevice:
                std::filesystem::create_symlink("/dev/full", folder / c.output);
                run = folder.Run();
                break;
            case Blocker::Held: {
                folder.Write(c.output, kOldOutput);
                // Released before the checks: on Windows the hold blocks our reads too.
                const ExclusiveHold hold(folder / c.output);
                ASSERT_TRUE(hold.Held());
                run = folder.Run();
                break;
            }
        }
        EXPECT_TRUE(ReportedFileError(run));

        switch (c.blocker) {
            case Blocker::Folder: EXPECT_TRUE(std::filesystem::is_empty(folder / c.output)); break;
            case Blocker::FullDevice:
                EXPECT_TRUE(std::filesystem::is_symlink(folder / c.output));
                EXPECT_EQ(std::filesystem::read_symlink(folder / c.output), "/dev/full");
                break;
            case Blocker::Held: EXPECT_EQ(folder.Read(c.output), kOldOutput); break;
        }
        if (!blockingSource) {
            EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "example.cpp.golden"));
        } else if (oldOther) {
            EXPECT_EQ(folder.Read(kHeader), kOldOther);
        } else {
            EXPECT_EQ(folder.Entries(), (Names{kDefinition, kSource}));  // no header opened
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Program, BlockedOutput, ::testing::ValuesIn(kBlockedCases),
                         [](const ::testing::TestParamInfo<BlockedCase>& info) { return std::string(info.param.name); });

#ifndef _WIN32

// What stands in a file's place when it is not a regular file, or is a link.
enum class Stand { Fifo, Socket, DeviceLink, DanglingLink, FileLink };

struct StandInCase {
    const char* name;
    const char* file;  // kDefinition, kSource or kHeader
    Stand stand;
};

const StandInCase kStandInCases[] = {
    {"FifoAsInput", kDefinition, Stand::Fifo},          {"FifoAsSource", kSource, Stand::Fifo},
    {"FifoAsHeader", kHeader, Stand::Fifo},             {"SocketAsInput", kDefinition, Stand::Socket},
    {"SocketAsSource", kSource, Stand::Socket},         {"SocketAsHeader", kHeader, Stand::Socket},
    {"DeviceAsInput", kDefinition, Stand::DeviceLink},  {"DeviceAsSource", kSource, Stand::DeviceLink},
    {"DeviceAsHeader", kHeader, Stand::DeviceLink},     {"DanglingLinkAsSource", kSource, Stand::DanglingLink},
    {"DanglingLinkAsHeader", kHeader, Stand::DanglingLink}, {"LinkToFileAsSource", kSource, Stand::FileLink},
    {"LinkToFileAsHeader", kHeader, Stand::FileLink},
};

void PrintTo(const StandInCase& c, std::ostream* os) { *os << c.name; }

bool MakeSocket(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path) return false;
    std::strcpy(address.sun_path, path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);  // the socket file stays
    return bound;
}

class StandIn : public ::testing::TestWithParam<StandInCase> {};

// Nothing in a file's place makes the program wait (a FIFO would block an
// ordinary open until its other end opened). A FIFO, a socket, a device or a
// dangling link is refused with ERR! and left as it is; what comes before it
// is complete, nothing after it is opened. A link to a regular file is
// followed: the file it leads to is replaced, the link stays.
TEST_P(StandIn, IsRefusedWithoutWaitingOrFollowedWhenALinkToAFile) {
    namespace fs = std::filesystem;
    const StandInCase& c = GetParam();
    ProgramFolder folder;
    TempDir elsewhere;
    if (std::string(c.file) != kDefinition) folder.Write(kDefinition, ExampleDefinition());
    const fs::path place = folder / c.file;
    switch (c.stand) {
        case Stand::Fifo: ASSERT_EQ(::mkfifo(place.c_str(), 0666), 0); break;
        case Stand::Socket: ASSERT_TRUE(MakeSocket(place)); break;
        case Stand::DeviceLink: fs::create_symlink("/dev/null", place); break;
        case Stand::DanglingLink: fs::create_symlink(elsewhere / "missing", place); break;
        case Stand::FileLink:
            ASSERT_TRUE(WriteFileBytes(elsewhere / "target", "an old file"));
            fs::create_symlink(elsewhere / "target", place);
            break;
    }
    const fs::file_type before = fs::symlink_status(place).type();
    RunOptions options;
    options.timeoutMs = 20000;
    const RunResult run = folder.Run(options);
    ASSERT_FALSE(run.timedOut) << "the program waited";
    EXPECT_EQ(fs::symlink_status(place).type(), before);
    const bool source = std::string(c.file) == kSource;
    if (c.stand == Stand::FileLink) {
        EXPECT_TRUE(Succeeded(run));
        EXPECT_TRUE(MatchesGolden(ReadFileBytes(elsewhere / "target").value_or(""),
                                  source ? "example.cpp.golden" : "example.h.golden"));
        EXPECT_EQ(fs::read_symlink(place), elsewhere / "target");
        EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere.Path()), fs::directory_iterator()), 1);
        EXPECT_EQ(folder.Entries(), (Names{kDefinition, kSource, kHeader}));
        return;
    }
    EXPECT_TRUE(ReportedFileError(run));
    if (std::string(c.file) == kDefinition) {
        EXPECT_EQ(folder.Entries(), Names{kDefinition});
    } else if (source) {
        EXPECT_EQ(folder.Entries(), (Names{kDefinition, kSource}));
    } else {
        EXPECT_EQ(folder.Entries(), (Names{kDefinition, kSource, kHeader}));
        EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "example.cpp.golden"));
    }
}

INSTANTIATE_TEST_SUITE_P(Program, StandIn, ::testing::ValuesIn(kStandInCases),
                         [](const ::testing::TestParamInfo<StandInCase>& info) { return std::string(info.param.name); });

// The temporary files a killed run left beside the outputs are taken over
// and gone after the next run, which writes the pair as usual.
TEST(OutputFailure, LeftoverTemporaryFilesAreReplaced) {
    ProgramFolder folder;
    folder.Write(kDefinition, ExampleDefinition());
    const std::string leftovers[] = {std::string(kSource) + ".textresgen-tmp", std::string(kHeader) + ".textresgen-tmp"};
    for (const std::string& leftover : leftovers) folder.Write(leftover, "cut off by a kill");
    EXPECT_TRUE(Succeeded(folder.Run()));
    EXPECT_EQ(folder.Entries(), (Names{kDefinition, kSource, kHeader}));
    EXPECT_TRUE(MatchesGolden(folder.Read(kSource).value_or(""), "example.cpp.golden"));
    EXPECT_TRUE(MatchesGolden(folder.Read(kHeader).value_or(""), "example.h.golden"));
}

// A regular file that fills up part way (a file size limit makes the write
// past it fail with EFBIG): the partly written file is removed.
TEST(OutputFailure, SourceWriteFailsPartWay) {
    std::u16string definitions;
    for (int i = 0; i < 3000; ++i) definitions += u"Key" + UnitsFromUtf8(std::to_string(i)) + u"=a text of some length\n";
    ProgramFolder folder;
    folder.Write(kDefinition, Utf16LeWithMark(definitions));
    folder.Write(kHeader, kOldOutput);
    RunOptions options;
    options.fileSizeLimit = 100000;
    EXPECT_TRUE(ReportedFileError(folder.Run(options)));
    EXPECT_EQ(folder.Entries(), (Names{kDefinition, kHeader}));
    EXPECT_EQ(folder.Read(kHeader), kOldOutput);
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

// In a folder without write permission no temporary file can be written
// beside the source, so the source is refused (ERR!) and stays as it was,
// as does a read-only source in a folder that may be written.
TEST(OutputFailure, SourceThatCannotBeReplacedStaysAsItWas) {
    namespace fs = std::filesystem;
    for (const bool readOnlyFolder : {true, false}) {
        SCOPED_TRACE(readOnlyFolder ? "read-only folder" : "read-only source");
        std::u16string definitions;
        for (int i = 0; i < 3000; ++i) definitions += u"Key" + UnitsFromUtf8(std::to_string(i)) + u"=a text of some length\n";
        ProgramFolder folder;
        folder.Write(kDefinition, Utf16LeWithMark(definitions));
        folder.Write(kSource, "an old source");
        const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
        const fs::perms listable = fs::perms::group_exec | fs::perms::others_exec | fs::perms::owner_all | readOnly;
        fs::permissions(folder / kSource, readOnlyFolder ? fs::perms::all : readOnly);
        fs::permissions(folder.Path(), readOnlyFolder ? listable : fs::perms::all);
        RunOptions options;
        options.fileSizeLimit = 100000;
        options.dropPrivileges = true;  // so that the permissions apply
        const RunResult run = folder.Run(options);
        fs::permissions(folder.Path(), fs::perms::owner_all);
        if (!run.started) GTEST_SKIP() << "cannot run the program as an unprivileged user: " << run.setupError;
        EXPECT_TRUE(ReportedFileError(run));
        EXPECT_EQ(folder.Entries(), (Names{kDefinition, kSource}));
        EXPECT_EQ(folder.Read(kSource), "an old source");
    }
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
    folder.Write(kHeader, kOldOutput);
    RunOptions options;
    options.environment = FaultInjection({{"TEXTRESGEN_FAIL_CLOSE", kSource}});
    EXPECT_TRUE(ReportedFileError(folder.Run(options)));
    EXPECT_EQ(folder.Entries(), (Names{kDefinition, kHeader}));
    EXPECT_EQ(folder.Read(kHeader), kOldOutput);
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
