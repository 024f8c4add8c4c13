#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_dir.h"

namespace textresgen::test {

// The fixed file names, as the tests expect them.
inline constexpr const char* kDefinition = "TextResouce.txt";
inline constexpr const char* kSource = "textresouce.cpp";
inline constexpr const char* kHeader = "textresouce.h";

// A fresh folder in which the real executable runs.
class ProgramFolder {
public:
    std::filesystem::path operator/(std::string_view name) const { return folder_ / name; }
    const std::filesystem::path& Path() const { return folder_.Path(); }

    void Write(std::string_view name, std::string_view bytes) const;
    std::optional<std::string> Read(std::string_view name) const;
    // The names in the folder, sorted; links and directories included.
    std::vector<std::string> Entries() const;

    // Runs the program in this folder.
    RunResult Run(RunOptions options = {}) const;

private:
    TempDir folder_;
};

// The program that the tests run.
std::filesystem::path ProgramPath();

// Ended normally with status 0, printed nothing.
::testing::AssertionResult Succeeded(const RunResult& run);
// Ended normally with status 0 and printed exactly "ERR!" CR LF on standard
// output, nothing on standard error.
::testing::AssertionResult ReportedFileError(const RunResult& run);

// The bytes of a generated source with these assignment lines.
std::string SourceBytes(const std::vector<std::u16string>& assignments);

}  // namespace textresgen::test
