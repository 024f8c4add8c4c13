// Share modes of the program's files on Windows: while the definition is
// open for reading, others may read it but not write it; while an output is
// open for writing, nobody else may open it. Checked with CreateFileW as
// another program would open the file, asking to share everything, so that
// any refusal comes from the program's own handle.
#include <gtest/gtest.h>

#include <windows.h>

#include <ostream>
#include <string>

#include "support/temp_dir.h"
#include "text/platform_file.h"
#include "text/utf16_reader.h"
#include "text/utf16_writer.h"

namespace textresgen::test {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const std::string kContent("\xFF\xFE" "a\0=\0b\0", 8);

// Opens the file as another program would. Returns 0 on success, otherwise
// the error code.
DWORD TryOpen(const std::filesystem::path& file, DWORD access) {
    HANDLE handle = CreateFileW(file.wstring().c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(handle);
    return 0;
}

// Wine enforces share modes in its server; should a Windows layer not do so,
// the tests below cannot tell anything and are skipped.
bool ShareModesEnforced(const std::filesystem::path& file) {
    HANDLE exclusive = CreateFileW(file.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (exclusive == INVALID_HANDLE_VALUE) return false;
    const bool enforced = TryOpen(file, GENERIC_READ) == ERROR_SHARING_VIOLATION;
    CloseHandle(exclusive);
    return enforced;
}

enum class Holder { Reader, Writer };

struct ShareCase {
    const char* name;
    Holder holder;        // how the program holds the file
    DWORD otherAccess;    // what another program asks for
    bool allowed;
};

// Names the case in CTest's list instead of dumping its bytes.
void PrintTo(const ShareCase& c, std::ostream* out) { *out << c.name; }

class ShareModes : public ::testing::TestWithParam<ShareCase> {
protected:
    void SetUp() override {
        file_ = folder_ / "TextResouce.txt";
        ASSERT_TRUE(WriteFileBytes(file_, kContent));
        if (!ShareModesEnforced(file_)) GTEST_SKIP() << "this Windows (or Wine) does not enforce share modes";
    }

    // The program's own file layer takes UTF-8 paths.
    std::string ProgramPath() const { return file_.u8string(); }

    TempDir folder_;
    std::filesystem::path file_;
};

TEST_P(ShareModes, OtherOpenFollowsTheProgramsShareMode) {
    const ShareCase& c = GetParam();
    Utf16Reader reader;
    Utf16Writer writer;
    if (c.holder == Holder::Reader)
        ASSERT_TRUE(reader.Open(ProgramPath().c_str()));
    else
        ASSERT_TRUE(writer.Open(ProgramPath().c_str()));

    EXPECT_EQ(TryOpen(file_, c.otherAccess), c.allowed ? 0u : static_cast<DWORD>(ERROR_SHARING_VIOLATION));

    // Closing gives the file back to everyone.
    reader.Close();
    writer.Close();
    EXPECT_EQ(TryOpen(file_, GENERIC_READ | GENERIC_WRITE), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ShareModes,
    ::testing::Values(ShareCase{"ReaderLetsOthersRead", Holder::Reader, GENERIC_READ, true},
                      ShareCase{"ReaderRefusesWriting", Holder::Reader, GENERIC_WRITE, false},
                      ShareCase{"ReaderRefusesReadWrite", Holder::Reader, GENERIC_READ | GENERIC_WRITE, false},
                      ShareCase{"ReaderRefusesDeleting", Holder::Reader, DELETE, false},
                      ShareCase{"WriterRefusesReading", Holder::Writer, GENERIC_READ, false},
                      ShareCase{"WriterRefusesWriting", Holder::Writer, GENERIC_WRITE, false}),
    [](const ::testing::TestParamInfo<ShareCase>& info) { return std::string(info.param.name); });

using ShareModesOfTheProgram = ShareModes;

TEST_F(ShareModesOfTheProgram, TwoReadersShareTheDefinition) {
    Utf16Reader first;
    Utf16Reader second;
    ASSERT_TRUE(first.Open(ProgramPath().c_str()));
    EXPECT_TRUE(second.Open(ProgramPath().c_str()));
}

TEST_F(ShareModesOfTheProgram, WriterRefusedWhileReadLeavesTheFileAsItWas) {
    Utf16Reader reader;
    ASSERT_TRUE(reader.Open(ProgramPath().c_str()));
    Utf16Writer writer;
    EXPECT_FALSE(writer.Open(ProgramPath().c_str()));
    reader.Close();
    EXPECT_EQ(ReadFileBytes(file_), kContent);
}

TEST_F(ShareModesOfTheProgram, OpenOutputRefusesTheProgramsReaderAndWriter) {
    Utf16Writer writer;
    ASSERT_TRUE(writer.Open(ProgramPath().c_str()));
    Utf16Reader reader;
    EXPECT_FALSE(reader.Open(ProgramPath().c_str()));
    Utf16Writer secondWriter;
    EXPECT_FALSE(secondWriter.Open(ProgramPath().c_str()));
    writer.Close();
    EXPECT_EQ(ReadFileBytes(file_), std::string("\xFF\xFE"));
}

// The generator writes an output beside its place and moves it over the old
// file; until then the old file is held with no sharing, as an output always
// was, and afterwards the new one is free to everyone.
TEST_F(ShareModesOfTheProgram, ReplacedOutputIsHeldUntilItIsReplaced) {
    std::unique_ptr<ByteSink> sink = CreateReplacingFileSink(ProgramPath().c_str());
    ASSERT_TRUE(sink);
    EXPECT_EQ(TryOpen(file_, GENERIC_READ), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    const unsigned char bytes[] = {'n', 'e', 'w'};
    ASSERT_TRUE(sink->Write(bytes, sizeof bytes));
    ASSERT_TRUE(sink->Close());
    ASSERT_TRUE(sink->Commit());
    EXPECT_EQ(ReadFileBytes(file_), "new");
    EXPECT_EQ(TryOpen(file_, GENERIC_READ | GENERIC_WRITE), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "TextResouce.txt.textresgen-tmp"));
}

}  // namespace
}  // namespace textresgen::test
