// The import fuzzing corpus replayed through the import properties.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/import_properties.h"
#include "support/temp_dir.h"

namespace textresl10n::properties {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = TEXTRESL10N_IMPORT_CORPUS_DIR;

std::vector<std::string> CorpusFiles() { return textresgen::test::SortedFileNames(kCorpus); }

class ImportCorpusReplay : public testing::TestWithParam<std::string> {};

TEST_P(ImportCorpusReplay, KeepsEveryProperty) {
    const std::string input = textresgen::test::ReadFileBytes(kCorpus / GetParam()).value_or("");
    EXPECT_EQ(CheckImport(input), "") << "corpus file " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Fuzz, ImportCorpusReplay, testing::ValuesIn(CorpusFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(ImportCorpusReplay, CorpusIsThere) { EXPECT_GE(CorpusFiles().size(), 6u); }

}  // namespace
}  // namespace textresl10n::properties
