// The real executable when memory runs out: one line on standard error,
// status 1, never "ERR!" (which means a file problem), no output left.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/fault_injection.h"
#include "support/program_folder.h"
#include "support/sanitizers.h"
#include "support/utf16_bytes.h"


namespace textresgen::test {
namespace {

// Held in memory as UTF-16, the text of one line of 24 million characters
// alone needs 48 MB, more than the 32 MB of address space allowed here.
constexpr unsigned long long kAddressSpace = 32ull << 20;

// The long line alone, and after 5000 short ones, so that it is read on
// the second reading thread of a large file, whose failure must end the run
// the same way.
TEST(MemoryExhaustion, EndsWithMessageAndStatusOne) {
    std::string why;
    if (!CanLimitAddressSpace(why)) GTEST_SKIP() << why;
    std::string shortLines;
    for (int i = 0; i < 5000; ++i) shortLines += "k" + std::to_string(i) + "=x\n";
    for (const std::string& before : {std::string(), shortLines}) {
        ProgramFolder folder;
        folder.Write(kDefinition, Utf8WithMark(before + "k=" + std::string(24'000'000, 'x') + "\n"));
        RunOptions options;
        options.addressSpaceLimit = kAddressSpace;
        const RunResult run = folder.Run(options);
        ASSERT_TRUE(run.started) << run.setupError;
        EXPECT_TRUE(run.exited);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.out, "");
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "not one line: " << run.err;
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{kDefinition});
    }
}

// A small definition under the same limit is generated: the size of the
// definition is what failed the run above.
TEST(MemoryExhaustion, SmallDefinitionUnderSameLimit) {
    std::string why;
    if (!CanLimitAddressSpace(why)) GTEST_SKIP() << why;
    ProgramFolder folder;
    folder.Write(kDefinition, Utf8WithMark("k=" + std::string(1000, 'x') + "\n"));
    RunOptions options;
    options.addressSpaceLimit = kAddressSpace;
    EXPECT_TRUE(Succeeded(folder.Run(options)));
    EXPECT_EQ(folder.Read(kSource), SourceBytes({u"\tt.k = L\"" + std::u16string(1000, u'x') + u"\";"}));
}

#if defined(TEXTRESGEN_ALLOC_FAULT_SHIM) && !defined(TEXTRESGEN_TEST_SANITIZED)

// Each allocation after the definition is first read fails in turn (every
// so many of them, to keep the sweep short), with the program believing it
// has 1, 2 or 4 cores, so that a failure also meets reading, sorting and
// writing threads already running. The run either absorbs the failure and
// writes the complete pair, or ends with the documented line and status 1
// with both old outputs as they were; it never aborts, and leaves no
// temporary file. (A sanitizer's allocator cannot be replaced this way.)
TEST(MemoryExhaustion, EveryFailingAllocationLeavesOutputsWholeOrAsTheyWere) {
    std::string definition;
    for (int i = 0; i < 5000; ++i)
        definition += "Group" + std::to_string(i % 40) + ".Key" + std::to_string(i) + "=text " + std::to_string(i) + "\n";
    const std::string bytes = Utf8WithMark(definition);
    const std::vector<std::string> pair{kDefinition, kSource, kHeader};
    for (const unsigned threads : {1u, 2u, 4u}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        const std::pair<std::string, std::string> nprocs{"TEXTRESGEN_NPROCS", std::to_string(threads)};
        const std::pair<std::string, std::string> from{"TEXTRESGEN_FAIL_MALLOC_FROM", kDefinition};
        // The complete pair, and how many allocations make it.
        ProgramFolder reference;
        reference.Write(kDefinition, bytes);
        RunOptions counted;
        counted.environment =
            AllocationFaultInjection({nprocs, from, {"TEXTRESGEN_COUNT_MALLOC_TO", (reference.Path() / "count").string()}});
        ASSERT_TRUE(Succeeded(reference.Run(counted)));
        const long allocations = std::stol(reference.Read("count").value_or("0"));
        ASSERT_GT(allocations, 100);
        const std::string source = reference.Read(kSource).value_or("");
        const std::string header = reference.Read(kHeader).value_or("");

        ProgramFolder folder;
        folder.Write(kDefinition, bytes);
        const long stride = std::max(1L, allocations / 150);
        int ranOutOfMemory = 0;
        for (long n = threads; n <= allocations && !HasFailure(); n += stride) {
            SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(allocations) + " fails");
            folder.Write(kSource, "old source");
            folder.Write(kHeader, "old header");
            RunOptions options;
            options.environment = AllocationFaultInjection({nprocs, from, {"TEXTRESGEN_FAIL_MALLOC", std::to_string(n)}});
            const RunResult run = folder.Run(options);
            ASSERT_TRUE(run.started) << run.setupError;
            ASSERT_TRUE(run.exited) << "ended by signal " << -run.exitStatus << "; stderr: " << run.err;
            EXPECT_EQ(folder.Entries(), pair);
            if (run.exitStatus == 0) {
                EXPECT_TRUE(Succeeded(run));
                EXPECT_TRUE(folder.Read(kSource) == source && folder.Read(kHeader) == header);
                continue;
            }
            ++ranOutOfMemory;
            EXPECT_EQ(run.exitStatus, 1);
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err, "textresgen: out of memory\n");
            EXPECT_EQ(folder.Read(kSource), "old source");
            EXPECT_EQ(folder.Read(kHeader), "old header");
        }
        EXPECT_GT(ranOutOfMemory, 0);  // the failures did reach the program
    }
}

#endif

}  // namespace
}  // namespace textresgen::test
