// The real executable when memory runs out: one line on standard error,
// status 1, never "ERR!" (which means a file problem), no output left.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/program_folder.h"
#include "support/utf16_bytes.h"

#if defined(__SANITIZE_ADDRESS__)
#define TEXTRESGEN_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TEXTRESGEN_UNDER_ASAN 1
#endif
#endif

namespace textresgen::test {
namespace {

TEST(MemoryExhaustion, EndsWithMessageAndStatusOne) {
#ifdef TEXTRESGEN_UNDER_ASAN
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#endif
    if (!CanLimitResources()) GTEST_SKIP() << "no address space limit on this platform";
    // One line of 24 million characters needs well over 100 MB as UTF-16
    // (the line, then its copy in the tree); the limit is 96 MB.
    ProgramFolder folder;
    folder.Write(kDefinition, Utf8WithMark("k=" + std::string(24'000'000, 'x') + "\n"));
    RunOptions options;
    options.addressSpaceLimit = 96ull << 20;
    const RunResult run = folder.Run(options);
    ASSERT_TRUE(run.started) << run.setupError;
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "not one line: " << run.err;
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{kDefinition});
}

// The same definition without the limit is generated: the limit is what
// failed the run above.
TEST(MemoryExhaustion, ControlWithoutLimit) {
    ProgramFolder folder;
    folder.Write(kDefinition, Utf8WithMark("k=" + std::string(24'000'000, 'x') + "\n"));
    EXPECT_TRUE(Succeeded(folder.Run()));
    EXPECT_EQ(std::filesystem::file_size(folder / kSource), SourceBytes({u"\tt.k = L\"\";"}).size() + 48'000'000);
}

}  // namespace
}  // namespace textresgen::test
