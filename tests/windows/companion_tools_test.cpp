// The companion tools on Windows: file names reach the file system as typed
// and are shown as typed, a file another program holds open and a device name
// are told apart from a missing file, and every line they write ends in LF.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace textresgen::test {
namespace {

namespace fs = std::filesystem;

const std::string kBase = "\xEF\xBB\xBF" "Title=Hello\n";  // a UTF-8 definition
const std::string kUtf16 = std::string("\xFF\xFE" "A\0", 4);  // a UTF-16LE file

fs::path PathOf(const TempDir& folder, const std::string& utf8Name) {
    return folder.Path() / fs::u8path(utf8Name);
}

RunResult RunTool(const char* program, const TempDir& folder, std::vector<std::string> arguments) {
    RunOptions options;
    options.workingDirectory = folder.Path();
    options.arguments = std::move(arguments);
    return RunProgram(program, options);
}

// The names of the files in the folder, in UTF-8.
std::vector<std::string> Listing(const TempDir& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.Path()))
        names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CompanionToolsOnWindows, FileNamesReachTheFileSystemAsTyped) {
    // Run once more with another ANSI code page (932), which must be in force.
    if (const char* expected = std::getenv("TEXTRESGEN_EXPECT_ANSI_CODE_PAGE")) {
        ASSERT_EQ(std::to_string(GetACP()), expected);
    }
    const std::vector<std::string> names = {
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",    // 日本語: no ANSI code page of the West has it
        "caf\xC3\xA9",                             // café: the ANSI code page has it, best fit gives "cafe"
        "cafe\xCC\x81",                            // café decomposed: looks the same, another name
        "\xD0\xA2\xD0\xB5xt",                      // Cyrillic Т and е before "xt": looks like "Text"
        "emoji \xF0\x9F\x98\x80",                  // outside the BMP: a surrogate pair in UTF-16
        "two  spaces",
        "com10",                                   // like a device name, but no device: an ordinary file
        "Con-notes",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        TempDir folder;
        const std::string definition = name + ".txt";
        ASSERT_TRUE(WriteFileBytes(PathOf(folder, definition), kBase));
        ASSERT_TRUE(WriteFileBytes(PathOf(folder, name + ".u16"), kUtf16));

        const RunResult check = RunTool(TEXTRESGEN_CHECK_PROGRAM, folder, {definition});
        ASSERT_TRUE(check.started) << check.setupError;
        EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
        EXPECT_EQ(check.out, definition + ": 0 errors, 0 warnings\n");
        const RunResult missing = RunTool(TEXTRESGEN_CHECK_PROGRAM, folder, {name + "-missing.txt"});
        EXPECT_EQ(missing.exitStatus, 2);
        EXPECT_EQ(missing.out.rfind(name + "-missing.txt: error: cannot be opened", 0), 0u) << missing.out;

        const RunResult convert = RunTool(TEXTRESGEN_UTF8_PROGRAM, folder, {name + ".u16", name + ".u8"});
        EXPECT_EQ(convert.exitStatus, 0) << convert.err;
        EXPECT_EQ(ReadFileBytes(PathOf(folder, name + ".u8")).value_or(""), "\xEF\xBB\xBF" "A");

        const RunResult l10n =
            RunTool(TEXTRESGEN_L10N_PROGRAM, folder, {"export", "--base", definition, "--lang", "ja", "-o", name + ".po"});
        EXPECT_EQ(l10n.exitStatus, 0) << l10n.err;
        EXPECT_NE(ReadFileBytes(PathOf(folder, name + ".po")).value_or("").find("msgid \"Hello\""), std::string::npos);

        std::vector<std::string> expected = {definition, name + ".po", name + ".u16", name + ".u8"};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Listing(folder), expected);  // no best-fit look-alike written beside them
    }
}

// A file held open, without sharing, as an editor or a spreadsheet holds it.
class HeldOpen {
public:
    explicit HeldOpen(const fs::path& file)
        : handle_(CreateFileW(file.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldOpen() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// Each run: its status, a part of what it printed, and LF alone at the end
// of every line, on standard output and standard error alike.
TEST(CompanionToolsOnWindows, FilesInUseAndDevicesAreToldAndLinesEndInLf) {
    struct Row {
        const char* what;
        const char* program;
        std::vector<std::string> arguments;
        int status;
        std::string printed;  // found in standard output or standard error
    };
    const std::string inUse = "another program has it open and does not share it";
    const std::string device = "names a device of Windows";
    const std::vector<Row> rows = {
        {"a finding", TEXTRESGEN_CHECK_PROGRAM, {"cut.txt"}, 0, "cut.txt:1: warning: text of 'A' ends at a lone CR"},
        {"help", TEXTRESGEN_CHECK_PROGRAM, {"--help"}, 0, "usage: textrescheck [--languages TAG[,TAG...]] [FILE...]\n\nChecks"},
        {"unknown option", TEXTRESGEN_L10N_PROGRAM, {"--bogus"}, 2, "textresl10n: unknown option '--bogus'\ntry"},
        {"definition in use", TEXTRESGEN_CHECK_PROGRAM, {"held.txt"}, 2, "held.txt: error: cannot be opened: " + inUse},
        {"base in use", TEXTRESGEN_L10N_PROGRAM, {"export", "--base", "held.txt", "--lang", "ja", "-o", "x.po"}, 1, inUse},
        {"output in use", TEXTRESGEN_L10N_PROGRAM, {"export", "--base", "base.txt", "--lang", "ja", "-o", "held.po"}, 1,
         "held.po: error: cannot be replaced: " + inUse},
        {"converter input in use", TEXTRESGEN_UTF8_PROGRAM, {"held.txt", "x.u8"}, 1, inUse},
        {"con.po", TEXTRESGEN_L10N_PROGRAM, {"export", "--base", "base.txt", "--lang", "ja", "-o", "con.po"}, 1,
         "con.po: error: " + device},
        {"NUL as output", TEXTRESGEN_UTF8_PROGRAM, {"base.txt", "NUL"}, 1, "NUL: error: " + device},
        {"Aux.txt to check", TEXTRESGEN_CHECK_PROGRAM, {"Aux.txt"}, 2, "Aux.txt: error: " + device},
        {"com1 as a base", TEXTRESGEN_L10N_PROGRAM, {"export", "--base", "sub\\com1.TXT", "--lang", "ja", "-o", "y.po"},
         1, device},
        {"lpt9 as the import", TEXTRESGEN_L10N_PROGRAM, {"import", "LPT9.po", "-o", "z.txt"}, 1, device},
    };
    TempDir folder;
    ASSERT_TRUE(WriteFileBytes(folder / "base.txt", kBase));
    ASSERT_TRUE(WriteFileBytes(folder / "cut.txt", "\xEF\xBB\xBF" "A=ok\rB=lost\n"));
    HeldOpen heldText(folder / "held.txt");
    HeldOpen heldPo(folder / "held.po");
    ASSERT_TRUE(heldText.Held() && heldPo.Held());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const RunResult run = RunTool(row.program, folder, row.arguments);
        ASSERT_TRUE(run.started) << run.setupError;
        EXPECT_EQ(run.exitStatus, row.status) << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(row.printed), std::string::npos) << run.out << run.err;
        EXPECT_EQ(run.out.find('\r'), std::string::npos) << run.out;
        EXPECT_EQ(run.err.find('\r'), std::string::npos) << run.err;
    }
    // Nothing was written for the refused outputs, nothing went to a device.
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"base.txt", "cut.txt", "held.po", "held.txt"}));
}

}  // namespace
}  // namespace textresgen::test
