// The program on Windows: its file layer (wide paths, share modes aside),
// its standard output in binary mode, and the UTF-16LE reader, checked
// against the files the build generated from the same definition in UTF-8.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "process.h"
#include "temp_folder.h"

namespace textresgen::testing {
namespace {

// The definition as UTF-16LE with its mark and CR LF line ends, converted
// from the UTF-8 file the build used.
std::string Utf16Definition() {
    std::string utf8 = ReadBytes(TEXTRESGEN_CLIENT_DEFINITION);
    if (utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) utf8.erase(0, 3);
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        wide.data(), length);
    std::string bytes = "\xFF\xFE";
    auto put = [&bytes](wchar_t unit) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
    };
    for (wchar_t unit : wide) {
        if (unit == L'\r') continue;
        if (unit == L'\n') put(L'\r');
        put(unit);
    }
    return bytes;
}

TEST(ProgramOnWindows, ReadsUtf16AsTheBuildReadUtf8) {
    TempFolder folder;
    WriteBytes(folder.path() / "TextResouce.txt", Utf16Definition());

    const ProgramRun run = RunProgram(TEXTRESGEN_PROGRAM, folder.path().wstring());
    ASSERT_TRUE(run.started) << "cannot start textresgen.exe, error " << GetLastError();
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "");

    // Same tree, so the same bytes as the files the DLL was built from.
    const std::filesystem::path built(TEXTRESGEN_CLIENT_DIR);
    for (const char* name : {"textresouce.cpp", "textresouce.h"}) {
        SCOPED_TRACE(name);
        const std::string ours = ReadBytes(folder.path() / name);
        EXPECT_EQ(ours.size(), ReadBytes(built / name).size());
        EXPECT_TRUE(ours == ReadBytes(built / name))
            << "compare " << (folder.path() / name).u8string() << " with " << (built / name).u8string();
    }
}

TEST(ProgramOnWindows, MissingDefinitionPrintsErrWithOneLineEnd) {
    TempFolder folder;
    const ProgramRun run = RunProgram(TEXTRESGEN_PROGRAM, folder.path().wstring());
    ASSERT_TRUE(run.started) << "cannot start textresgen.exe, error " << GetLastError();
    EXPECT_EQ(run.exitCode, 0u);
    // Binary standard output: no second CR from the C runtime's text mode.
    EXPECT_EQ(run.output, "ERR!\r\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace textresgen::testing
