// The real executable when memory runs out: one line on standard error,
// status 1, never "ERR!" (which means a file problem), no output left.
#include <gtest/gtest.h>

#include <string>

#include "support/program_folder.h"
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

}  // namespace
}  // namespace textresgen::test
