// The Format fuzzing corpus replayed through the Format properties.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/format_properties.h"
#include "support/temp_dir.h"

namespace textresgen::format_properties {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = TEXTRESGEN_FORMAT_CORPUS_DIR;

std::vector<std::string> CorpusFiles() { return textresgen::test::SortedFileNames(kCorpus); }

class FormatCorpusReplay : public testing::TestWithParam<std::string> {};

TEST_P(FormatCorpusReplay, KeepsEveryProperty) {
    const std::string input = textresgen::test::ReadFileBytes(kCorpus / GetParam()).value_or("");
    EXPECT_EQ(CheckFormat(input), "") << "corpus file " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Fuzz, FormatCorpusReplay, testing::ValuesIn(CorpusFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(FormatCorpusReplay, CorpusIsThere) { EXPECT_GE(CorpusFiles().size(), 8u); }

}  // namespace
}  // namespace textresgen::format_properties
