#include "support/program_folder.h"

#include <algorithm>

#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

std::string Describe(const RunResult& run) {
    std::string text;
    if (!run.started) return "the program did not start: " + run.setupError;
    text += run.exited ? "exit status " + std::to_string(run.exitStatus)
                       : "ended abnormally (" + std::to_string(run.exitStatus) + ")";
    text += "; stdout " + std::to_string(run.out.size()) + " bytes \"" + Printable(UnitsFromUtf8(run.out)) + "\"";
    text += "; stderr \"" + Printable(UnitsFromUtf8(run.err)) + "\"";
    return text;
}

}  // namespace

void ProgramFolder::Write(std::string_view name, std::string_view bytes) const {
    ASSERT_TRUE(WriteFileBytes(folder_ / name, bytes)) << "cannot write " << (folder_ / name);
}

std::optional<std::string> ProgramFolder::Read(std::string_view name) const { return ReadFileBytes(folder_ / name); }

std::vector<std::string> ProgramFolder::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

RunResult ProgramFolder::Run(RunOptions options) const {
    options.workingDirectory = folder_.Path();
    return RunProgram(ProgramPath(), options);
}

std::filesystem::path ProgramPath() { return TEXTRESGEN_EXE; }

::testing::AssertionResult Succeeded(const RunResult& run) {
    if (run.started && run.exited && run.exitStatus == 0 && run.out.empty() && run.err.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected a silent run with status 0; " << Describe(run);
}

::testing::AssertionResult ReportedFileError(const RunResult& run) {
    if (run.started && run.exited && run.exitStatus == 0 && run.out == "ERR!\r\n" && run.err.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected \"ERR!\" CR LF and status 0; " << Describe(run);
}

std::string SourceBytes(const std::vector<std::u16string>& assignments) {
    std::u16string text =
        u"#include \"textresouce.h\"\r\n\r\n\r\nextern \"C\" __declspec(dllexport) void InitString(TextResource& t)\r\n{\r\n";
    for (const auto& line : assignments) text += line + u"\r\n";
    text += u"}\r\n";
    return Utf16LeWithMark(text);
}

}  // namespace textresgen::test
