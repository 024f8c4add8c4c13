// The fuzz corpus replayed through textrescheck's report properties, and the
// property checks shown to catch broken reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/check_properties.h"
#include "support/temp_dir.h"

namespace textrescheck::properties {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = TEXTRESGEN_CORPUS_DIR;

std::vector<std::string> CorpusFiles() { return textresgen::test::SortedFileNames(kCorpus); }

class CheckCorpusReplay : public testing::TestWithParam<std::string> {};

TEST_P(CheckCorpusReplay, KeepsEveryProperty) {
    EXPECT_EQ(CheckReport(textresgen::test::ReadFileBytes(kCorpus / GetParam()).value_or("")), "") << "corpus file " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CheckCorpusReplay, testing::ValuesIn(CorpusFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// A line of quotes far past the per-line cap: counted whole, shown capped.
TEST(CheckReportProperties, HoldForAFloodingLine) {
    EXPECT_EQ(CheckReport("\xEF\xBB\xBF" "A=" + std::string(5000, '"') + "\n"), "");
}

// Each property catches a report that breaks it.
TEST(CheckReportProperties, CatchBrokenReports) {
    const std::string error = "A.txt:1: error: x\n";
    const std::string note = "A.txt:1: note: 2 more findings on this line are not shown (1 error, 1 warning)\n";
    std::string capped;
    for (int i = 0; i < 10; ++i) capped += error;
    const struct {
        std::string report;
        int status;
        bool holds;
    } cases[] = {
        {error + "A.txt: 1 error, 0 warnings\n", 1, true},
        {"A.txt: 0 errors, 0 warnings\n", 0, true},
        {capped + note + "A.txt: 11 errors, 1 warning\n", 1, true},
        {"A.txt: error: cannot be opened\nA.txt: 0 errors, 0 warnings, 1 not readable\n", 2, true},
        {error + "A.txt: 1 error, 0 warnings\n", 0, false},                   // status says clean
        {error + "A.txt: 2 errors, 0 warnings\n", 1, false},                  // count
        {capped + error + "A.txt: 11 errors, 0 warnings\n", 1, false},        // past the cap
        {error + note + "A.txt: 2 errors, 1 warning\n", 1, false},            // note below the cap
        {"A.txt:2: error: x\n" + error + "A.txt: 2 errors, 0 warnings\n", 1, false},  // order
        {"A.txt:1: error: \x1B[2J\nA.txt: 1 error, 0 warnings\n", 1, false},           // control character
        {"A.txt:1: error: \xC2\x9B\nA.txt: 1 error, 0 warnings\n", 1, false},          // C1 control
        {"A.txt:1: error: \xE2\x80\xAE\nA.txt: 1 error, 0 warnings\n", 1, false},      // bidi control
        {"A.txt:1: error: \xFF\nA.txt: 1 error, 0 warnings\n", 1, false},              // not UTF-8
        {"A.txt:1: oops\nA.txt: 0 errors, 0 warnings\n", 0, false},                    // not a finding
        {error + "A.txt: 1 error, 0 warnings", 1, false},                              // no line end
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.report);
        EXPECT_EQ(CheckReportText(c.report, c.status, 1).empty(), c.holds);
    }
}

}  // namespace
}  // namespace textrescheck::properties
