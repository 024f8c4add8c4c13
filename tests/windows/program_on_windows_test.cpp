// The program on Windows: its file layer (wide paths, share modes aside),
// its standard output in binary mode, and the UTF-16LE reader, checked
// against the files the build generated from the same definition in UTF-8.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/process.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

// The definition as UTF-16LE with its mark and CR LF line ends, converted
// from the UTF-8 file the build used.
std::string Utf16Definition() {
    std::string utf8 = ReadFileBytes(TEXTRESGEN_CLIENT_DEFINITION).value_or("");
    if (utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) utf8.erase(0, 3);
    std::u16string units;
    for (const char16_t unit : UnitsFromUtf8(utf8)) {
        if (unit == u'\r') continue;
        if (unit == u'\n') units.push_back(u'\r');
        units.push_back(unit);
    }
    return Utf16LeWithMark(units);
}

RunResult RunIn(const TempDir& folder) {
    RunOptions options;
    options.workingDirectory = folder.Path();
    return RunProgram(TEXTRESGEN_PROGRAM, options);
}

TEST(ProgramOnWindows, ReadsUtf16AsTheBuildReadUtf8) {
    TempDir folder;
    ASSERT_TRUE(WriteFileBytes(folder / "TextResouce.txt", Utf16Definition()));

    const RunResult run = RunIn(folder);
    ASSERT_TRUE(run.started) << run.setupError;
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");

    // Same tree, so the same bytes as the files the DLL was built from.
    const std::filesystem::path built(TEXTRESGEN_CLIENT_DIR);
    for (const char* name : {"textresouce.cpp", "textresouce.h"}) {
        SCOPED_TRACE(name);
        const std::string ours = ReadFileBytes(folder / name).value_or("");
        const std::string theirs = ReadFileBytes(built / name).value_or("");
        EXPECT_EQ(ours.size(), theirs.size());
        EXPECT_TRUE(ours == theirs) << "compare " << (folder / name).u8string() << " with " << (built / name).u8string();
    }
}

TEST(ProgramOnWindows, MissingDefinitionPrintsErrWithOneLineEnd) {
    TempDir folder;
    const RunResult run = RunIn(folder);
    ASSERT_TRUE(run.started) << run.setupError;
    EXPECT_EQ(run.exitStatus, 0);
    // Binary standard output: no second CR from the C runtime's text mode.
    EXPECT_EQ(run.out, "ERR!\r\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
}  // namespace textresgen::test
