// textresl10n with one allocation failing: every command, PO and XLIFF.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "support/fault_injection.h"
#include "support/process.h"
#include "support/sanitizers.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

#if defined(TEXTRESGEN_ALLOC_FAULT_SHIM) && !defined(TEXTRESGEN_TEST_SANITIZED)

using Files = std::map<std::string, std::string>;  // name: bytes

// A few units: a placeholder, a note, a text not to translate, a plural.
const std::string kBase = Utf8WithMark(
        "# Shown after deleting\nFiles.Deleted=Deleted %d files\nMenu.Open=Open {0}\n"
        "# textresl10n: do not translate\nApp.Name=Demo\nCount.one=one file\nCount.other=%d files\n");
// The base after a change: a source changed, a unit added, one gone.
const std::string kChanged = Utf8WithMark(
        "# Shown after deleting\nFiles.Deleted=Removed %d files\nMenu.Open=Open {0}\nMenu.Save=Save\n"
        "Count.one=one file\nCount.other=%d files\n");
const std::string kJapanese = Utf8WithMark(
        "Files.Deleted=%d \xE5\x80\x8B\nMenu.Open={0} \xE3\x82\x92\xE9\x96\x8B\xE3\x81\x8F\n"
        "Count.other=%d \xE5\x80\x8B\n");

struct Command {
    const char* name;
    std::vector<std::string> arguments;
    std::string output;  // the file it replaces; empty: it prints to standard output
};

// Named in the test list by its name, not its bytes.
void PrintTo(const Command& command, std::ostream* out) { *out << command.name; }

Files Folder(const std::filesystem::path& dir) {
    Files files;
    for (const std::string& name : SortedFileNames(dir)) files[name] = ReadFileBytes(dir / name).value_or("?");
    return files;
}

RunResult RunIn(const TempDir& dir, const Command& run, std::vector<std::pair<std::string, std::string>> settings) {
    RunOptions options;
    options.arguments = run.arguments;
    options.workingDirectory = dir.Path();
    // Allocations count from the first read of the base, or of the
    // exchange file for an import without one.
    settings.emplace_back("TEXTRESGEN_FAIL_MALLOC_FROM", run.arguments[1] == "--base" ? run.arguments[2] : run.arguments[1]);
    options.environment = AllocationFaultInjection(std::move(settings));
    return RunProgram(TEXTRESL10N_EXE, options);
}

// The exchange files to update, import and count are a clean export's.
Files Inputs() {
    Files inputs{{"en.txt", kBase}, {"en2.txt", kChanged}, {"ja.txt", kJapanese}, {"new.po", "old"}};
    for (const char* exchange : {"ja.po", "ja.xlf"}) {
        TempDir dir;
        for (const auto& [name, bytes] : inputs) WriteFileBytes(dir / name, bytes);
        RunOptions options;
        options.arguments = {"export", "--base", "en.txt", "--translation", "ja.txt", "--lang", "ja", "-o", exchange};
        options.workingDirectory = dir.Path();
        RunProgram(TEXTRESL10N_EXE, options);
        inputs[exchange] = ReadFileBytes(dir / exchange).value_or("");
    }
    return inputs;
}

class L10nMemory : public ::testing::TestWithParam<Command> {};

// Each allocation of a run fails in turn, from the first to the last a
// clean run makes. The run either copes and ends exactly as the clean run
// (status 0, the same output and messages), or prints the one line
// "textresl10n: out of memory", exits with 3, and leaves the folder as it
// was: the replaced file old, no new or temporary file. Never a signal.
TEST_P(L10nMemory, EveryFailingAllocationGivesTheCleanResultOrLeavesTheFolderAsItWas) {
    const Command& run = GetParam();
    const Files inputs = Inputs();
    ASSERT_FALSE(inputs.at("ja.po").empty() || inputs.at("ja.xlf").empty());
    // The clean run, and how many allocations it makes.
    TempDir clean;
    for (const auto& [name, bytes] : inputs) ASSERT_TRUE(WriteFileBytes(clean / name, bytes));
    const RunResult reference = RunIn(clean, run, {{"TEXTRESGEN_COUNT_MALLOC_TO", (clean / "count").string()}});
    ASSERT_EQ(reference.exitStatus, 0) << reference.err;
    const long allocations = std::stol(ReadFileBytes(clean / "count").value_or("0"));
    std::filesystem::remove(clean / "count");
    const Files after = Folder(clean.Path());
    ASSERT_TRUE(run.output.empty() || after != inputs);  // the run did write
    ASSERT_GT(allocations, 10);

    TempDir dir;
    int ranOutOfMemory = 0;
    for (long n = 1; n <= allocations && !HasFailure(); ++n) {
        SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(allocations) + " fails");
        for (const auto& [name, bytes] : inputs) ASSERT_TRUE(WriteFileBytes(dir / name, bytes));
        for (const std::string& name : SortedFileNames(dir.Path()))
            if (inputs.count(name) == 0) std::filesystem::remove(dir / name);
        const RunResult result = RunIn(dir, run, {{"TEXTRESGEN_FAIL_MALLOC", std::to_string(n)}});
        ASSERT_TRUE(result.started) << result.setupError;
        ASSERT_TRUE(result.exited) << "ended by signal " << -result.exitStatus << "; stderr: " << result.err;
        if (result.exitStatus == 0) {
            EXPECT_EQ(result.out, reference.out);
            EXPECT_EQ(result.err, reference.err);
            EXPECT_TRUE(Folder(dir.Path()) == after) << "a file differs from the clean run's";
            continue;
        }
        ++ranOutOfMemory;
        EXPECT_EQ(result.exitStatus, 3) << result.err;
        EXPECT_EQ(result.err, "textresl10n: out of memory\n");
        // stats prints each file's line once it is counted.
        EXPECT_TRUE(result.out.empty() || (run.output.empty() && result.out.back() == '\n' &&
                                           reference.out.compare(0, result.out.size(), result.out) == 0))
                << result.out;
        EXPECT_TRUE(Folder(dir.Path()) == inputs) << "the folder changed";
    }
    EXPECT_GT(ranOutOfMemory, 0);  // the failures did reach the program
}

// Every command, PO and XLIFF.
INSTANTIATE_TEST_SUITE_P(
        EveryCommand, L10nMemory,
        ::testing::Values(
                Command{"ExportPo", {"export", "--base", "en.txt", "--translation", "ja.txt", "--lang", "ja", "-o", "new.po"}, "new.po"},
                Command{"ExportXliff", {"export", "--base", "en.txt", "--translation", "ja.txt", "--lang", "ja", "-o", "new.xlf"}, "new.xlf"},
                Command{"UpdatePo", {"update", "--base", "en2.txt", "ja.po"}, "ja.po"},
                Command{"UpdateXliff", {"update", "--base", "en2.txt", "ja.xlf"}, "ja.xlf"},
                Command{"ImportPo", {"import", "--base", "en.txt", "ja.po", "-o", "imported.txt"}, "imported.txt"},
                Command{"ImportXliff", {"import", "ja.xlf", "-o", "imported.txt"}, "imported.txt"},
                Command{"Pseudo", {"pseudo", "--base", "en.txt", "-o", "qps.txt"}, "qps.txt"},
                Command{"Stats", {"stats", "--base", "en.txt", "ja.po", "ja.xlf"}, ""}),
        [](const ::testing::TestParamInfo<Command>& info) { return std::string(info.param.name); });

#endif

}  // namespace
}  // namespace textresgen::test
