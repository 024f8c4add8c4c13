#include <gtest/gtest.h>

#include "generator/generator.h"

namespace textresgen {
namespace {

TEST(Smoke, GeneratesSomething) {
    GeneratedFiles out;
    ASSERT_TRUE(GenerateInMemory("\xFF\xFE" "a\0=\0b\0", out));
    EXPECT_EQ(out.header.substr(0, 2), "\xFF\xFE");
}

}  // namespace
}  // namespace textresgen
