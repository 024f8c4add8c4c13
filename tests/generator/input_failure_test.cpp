// The real executable when the definition file cannot be opened or read:
// "ERR!", status 0, and no output created or changed. Every kind of failure
// runs twice: in a folder without outputs (none may appear) and beside old
// outputs (they must stay as they were).
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/fault_injection.h"
#include "support/file_lock.h"
#include "support/program_folder.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const std::string kOldSource = "old source, not generated";
const std::string kOldHeader = "old header, not generated";

struct InputCase {
    const char* name;
    // Puts the broken definition in place; may adjust the run.
    void (*setup)(ProgramFolder& folder, RunOptions& options);
    bool holdByWriter = false;  // another program holds the definition for writing
};

std::string SmallDefinition() { return Utf16LeWithMark(u"k=v\n"); }

#ifdef __linux__
// Half a megabyte of good definitions, for a read error part way.
std::string LargeDefinition() {
    std::u16string definitions;
    for (int i = 0; definitions.size() < 400000; ++i)
        definitions += u"Group.Name" + UnitsFromUtf8(std::to_string(i)) + u"=text\r\n";
    return Utf16LeWithMark(definitions);
}
#endif

const InputCase kInputCases[] = {
    {"MissingInput", [](ProgramFolder&, RunOptions&) {}},
    {"BigEndianMark",
     [](ProgramFolder& folder, RunOptions&) { folder.Write(kDefinition, "\xFE\xFF" + std::string("\0k\0=\0v\0\n", 8)); }},
    {"BigEndianMarkAlone", [](ProgramFolder& folder, RunOptions&) { folder.Write(kDefinition, "\xFE\xFF"); }},
    {"InputIsDirectory", [](ProgramFolder& folder, RunOptions&) { fs::create_directory(folder / kDefinition); }},
    // Held by a writer: reading is refused (a share mode on Windows, an
    // advisory lock elsewhere).
    {"InputHeldByWriter", [](ProgramFolder& folder, RunOptions&) { folder.Write(kDefinition, SmallDefinition()); },
     true},
#ifndef _WIN32
    // No read permission. With full rights (root) permission bits stop
    // nothing, so the program then runs as an unprivileged user, in a folder
    // where it could create the outputs.
    {"UnreadableInput",
     [](ProgramFolder& folder, RunOptions& options) {
         folder.Write(kDefinition, SmallDefinition());
         fs::permissions(folder / kDefinition, fs::perms::none);
         fs::permissions(folder.Path(), fs::perms::all);
         options.dropPrivileges = true;
     }},
    {"SymlinkLoop", [](ProgramFolder& folder, RunOptions&) { fs::create_symlink(kDefinition, folder / kDefinition); }},
#endif
#ifdef __linux__
    // A read error at the first byte: /proc/self/mem opens, but reading it at
    // offset 0 (an unmapped address) fails with EIO.
    {"ReadErrorAtStart",
     [](ProgramFolder& folder, RunOptions&) { fs::create_symlink("/proc/self/mem", folder / kDefinition); }},
    // A read error after half a megabyte, injected by the preloaded fault
    // library (the control below shows the library alone changes nothing).
    {"ReadErrorMidFile",
     [](ProgramFolder& folder, RunOptions& options) {
         folder.Write(kDefinition, LargeDefinition());
         options.environment =
             FaultInjection({{"TEXTRESGEN_FAIL_READ", kDefinition}, {"TEXTRESGEN_FAIL_READ_AFTER", "500000"}});
     }},
#endif
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }

class InputFailure : public ::testing::TestWithParam<InputCase> {};

TEST_P(InputFailure, ReportsAndTouchesNoOutput) {
    const InputCase& c = GetParam();
    for (const bool oldOutputs : {false, true}) {
        SCOPED_TRACE(oldOutputs ? "beside old outputs" : "in a folder without outputs");
        ProgramFolder folder;
        RunOptions options;
        c.setup(folder, options);
        const Names before = folder.Entries();
        if (oldOutputs) {
            folder.Write(kSource, kOldSource);
            folder.Write(kHeader, kOldHeader);
        }
        RunResult run;
        {
            // Released before the checks: on Windows the hold blocks our reads too.
            std::optional<ExclusiveHold> hold;
            if (c.holdByWriter) {
                hold.emplace(folder / kDefinition);
                ASSERT_TRUE(hold->Held());
            }
            run = folder.Run(options);
        }
        if (!run.started) GTEST_SKIP() << "cannot run the program as an unprivileged user: " << run.setupError;
        EXPECT_TRUE(ReportedFileError(run));
        EXPECT_EQ(run.out, std::string("\x45\x52\x52\x21\x0D\x0A"));
        if (oldOutputs) {
            EXPECT_EQ(folder.Read(kSource), kOldSource);
            EXPECT_EQ(folder.Read(kHeader), kOldHeader);
        } else {
            EXPECT_EQ(folder.Entries(), before);
        }
        std::error_code noLoop;  // a symlink loop is no directory
        if (fs::is_directory(folder / kDefinition, noLoop)) {
            EXPECT_TRUE(fs::is_empty(folder / kDefinition));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Program, InputFailure, ::testing::ValuesIn(kInputCases),
                         [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

#ifdef __linux__

// The same file and fault library without a fault: the injection is what
// made the run above fail.
TEST(InputFailureControl, FaultLibraryAloneChangesNothing) {
    ProgramFolder folder;
    folder.Write(kDefinition, SmallDefinition());
    RunOptions options;
    options.environment =
        FaultInjection({{"TEXTRESGEN_FAIL_READ", kDefinition}, {"TEXTRESGEN_FAIL_READ_AFTER", "500000"}});
    EXPECT_TRUE(Succeeded(folder.Run(options)));
    EXPECT_EQ(folder.Read(kSource), SourceBytes({u"\tt.k = L\"v\";"}));
}

#endif

}  // namespace
}  // namespace textresgen::test
