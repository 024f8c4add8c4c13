// textrescheck on real files: the report as printed, the summary, the exit
// statuses, several files at once, and the executable itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "check/check_run.h"
#include "check_test_support.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace textrescheck {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class CheckProgram : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = folder_ / name;
        fs::create_directories(path.parent_path());
        EXPECT_TRUE(textresgen::test::WriteFileBytes(path, bytes));
        return path.string();
    }
    std::string Utf8File(const std::string& name, const std::string& body) {
        return Write(name, std::string(testing::kUtf8Mark) + body);
    }

    // Runs the check; the report with the temporary folder cut out of paths.
    int Run(const std::vector<std::string>& paths, std::string& report) {
        report.clear();
        const int status = RunCheck(paths, [&](std::string_view piece) { report += piece; });
        const std::string prefix = (folder_.Path() / "").string();
        for (std::size_t at; (at = report.find(prefix)) != std::string::npos;) report.erase(at, prefix.size());
        return status;
    }

    textresgen::test::TempDir folder_;
    const fs::path& dir_ = folder_.Path();
};

TEST_F(CheckProgram, CleanFilePrintsOnlyTheSummary) {
    const std::string file = Utf8File("en.txt", "Title=Hello\nMenu.Open=Open\n");
    std::string report;
    EXPECT_EQ(Run({file}, report), kExitClean);
    EXPECT_EQ(report, "en.txt: 0 errors, 0 warnings\n");
}

TEST_F(CheckProgram, WarningsAloneExitZero) {
    const std::string file = Utf8File("en.txt", "A=1\nA=2\n");
    std::string report;
    EXPECT_EQ(Run({file}, report), kExitClean);
    EXPECT_EQ(report,
              "en.txt:2: warning: 'A' repeats the name of line 1: the generator keeps this later text and drops the "
              "text of line 1\n"
              "en.txt: 0 errors, 1 warning\n");
}

TEST_F(CheckProgram, AnErrorExitsOne) {
    const std::string file = Utf8File("en.txt", "S=1\n2=x\nA=1\nA=2\nB=1\nB=2\n");
    std::string report;
    EXPECT_EQ(Run({file}, report), kExitErrors);
    EXPECT_NE(report.find("en.txt:1: error: entry 'S' "), std::string::npos);
    EXPECT_EQ(report.substr(report.rfind('\n', report.size() - 2) + 1), "en.txt: 2 errors, 2 warnings\n");
}

TEST_F(CheckProgram, UnreadableFilesExitTwo) {
    const std::string missing = (dir_ / "missing.txt").string();
    const std::string bigEndian = Write("be.txt", "\xFE\xFF\0A\0=\0x"s);
    fs::create_directories(dir_ / "folder.txt");
    const std::string folder = (dir_ / "folder.txt").string();
    const std::string sound = Utf8File("en.txt", "A=1\n");
    const std::string bad = Utf8File("bad.txt", "A=\"\n");  // same layout, one error

    std::string report;
    EXPECT_EQ(Run({missing}, report), kExitUnreadable);
    EXPECT_EQ(report,
              "missing.txt: error: cannot be opened: it is missing or not accessible\n"
              "missing.txt: 0 errors, 0 warnings, 1 not readable\n");
    EXPECT_EQ(Run({bigEndian}, report), kExitUnreadable);
    EXPECT_EQ(report,
              "be.txt: error: starts with the UTF-16 big-endian mark FE FF, which the generator refuses: save it as "
              "UTF-16LE, or as UTF-8 with its mark\n"
              "be.txt: 0 errors, 0 warnings, 1 not readable\n");
    EXPECT_EQ(Run({folder}, report), kExitUnreadable);
#ifdef _WIN32
    EXPECT_EQ(report.substr(0, report.find('\n')), "folder.txt: error: cannot be opened: it is missing or not accessible");
#else
    EXPECT_EQ(report.substr(0, report.find('\n')),
              "folder.txt: error: is not a regular file (a folder, a FIFO, a socket or a device): it is refused "
              "without being read");
#endif
    // An unreadable file outweighs errors in the others, and the others are still checked.
    EXPECT_EQ(Run({sound, missing, bad}, report), kExitUnreadable);
    EXPECT_EQ(report.substr(report.rfind('\n', report.size() - 2) + 1), "3 files: 1 error, 0 warnings, 1 not readable\n");
#ifndef _WIN32
    // Held by another program's exclusive lock (the Windows sharing
    // violation is in tests/windows): in use, not missing.
    const int held = ::open(sound.c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    EXPECT_EQ(Run({sound}, report), kExitUnreadable);
    EXPECT_EQ(report.substr(0, report.find('\n')),
              "en.txt: error: cannot be opened: another program has it open and does not share it (close it there)");
    ::close(held);
#endif
}

TEST_F(CheckProgram, SeveralLanguagesShareOneLayout) {
    const std::string en = Utf8File("en/TextResouce.txt",
                                    "Title=Hello\n"
                                    "Menu.Open=Open\n"
                                    "Menu.Save=Save\n");
    const std::string ja = Utf8File("ja/TextResouce.txt",
                                    "Title=\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF\n"
                                    "Menu.Open=\xE9\x96\x8B\xE3\x81\x8F\n");
    const std::string de = Utf8File("de/TextResouce.txt",
                                    "Title=Hallo\n"
                                    "Extra=\"\n"
                                    "Menu.Open=Oeffnen\n"
                                    "Menu.Save=Sichern\n");
    std::string report;
    EXPECT_EQ(Run({en, ja, de}, report), kExitErrors);
    const std::string moves =
        ": the members after it move, so an application built with another language's header reads wrong texts "
        "from this one\n";
    EXPECT_EQ(report,
              "ja/TextResouce.txt: error: entry 'Menu.Save' is missing (" + en.substr(dir_.string().size() + 1) + ":3)" +
                  moves +
                  // The file's own finding and the layout finding of one line, together.
                  "de/TextResouce.txt:2: error: text of 'Extra' has an unescaped '\"' at character 1, which ends the "
                  "literal early: the source will not compile\n"
                  "de/TextResouce.txt:2: error: entry 'Extra' is not in " + en.substr(dir_.string().size() + 1) +
                  moves + "3 files: 3 errors, 0 warnings\n");
}

TEST_F(CheckProgram, TheFirstReadableFileIsTheReference) {
    const std::string missing = (dir_ / "en.txt").string();
    const std::string ja = Utf8File("ja.txt", "A=1\n");
    const std::string de = Utf8File("de.txt", "B=1\n");
    std::string report;
    EXPECT_EQ(Run({missing, ja, de}, report), kExitUnreadable);
    EXPECT_NE(report.find("de.txt:1: error: entry 'B' is not in ja.txt"), std::string::npos) << report;
}

// The executable itself, run in the temporary folder; its standard output
// and standard error together.
int RunExecutable(const fs::path& dir, const std::vector<std::string>& arguments, std::string& output) {
    textresgen::test::RunOptions options;
    options.arguments = arguments;
    options.workingDirectory = dir;
    const textresgen::test::RunResult run = textresgen::test::RunProgram(TEXTRESCHECK_EXE, options);
    output = run.out + run.err;
    return run.started && run.exited ? run.exitStatus : -1;
}

TEST_F(CheckProgram, ExecutableEndToEnd) {
    std::string output;
    // No argument: TextResouce.txt of the current folder, which is missing.
    EXPECT_EQ(RunExecutable(dir_, {}, output), 2);
    EXPECT_EQ(output,
              "TextResouce.txt: error: cannot be opened: it is missing or not accessible\n"
              "TextResouce.txt: 0 errors, 0 warnings, 1 not readable\n");

    // UTF-16LE with its mark, CR LF line ends, a Japanese name: UTF-8 out.
    Write("TextResouce.txt", textresgen::test::Utf16LeWithMark(u"Title=Hello\r\n\u540D$=x\r\n"));
    EXPECT_EQ(RunExecutable(dir_, {}, output), 0);
    EXPECT_EQ(output,
              "TextResouce.txt:2: warning: entry '\xE5\x90\x8D$' holds '$', which GCC, Clang and MSVC accept in "
              "identifiers only as an extension\n"
              "TextResouce.txt: 0 errors, 1 warning\n");

    Utf8File("bad.txt", "Menu=x\nMenu.Open=y\n");
    EXPECT_EQ(RunExecutable(dir_, {"bad.txt"}, output), 1);
    EXPECT_EQ(output,
              "bad.txt:2: error: group 'Menu' clashes with the entry of line 1: the header declares two members named "
              "'Menu' and will not compile\n"
              "bad.txt: 1 error, 0 warnings\n");

    EXPECT_EQ(RunExecutable(dir_, {"TextResouce.txt", "bad.txt"}, output), 1);
    EXPECT_NE(output.find("bad.txt: error: entry 'Title' is missing (TextResouce.txt:1)"), std::string::npos);
    // Its own clash, the entry and group Menu extra, Title and the Japanese name missing.
    EXPECT_NE(output.find("2 files: 5 errors, 1 warning\n"), std::string::npos) << output;

    EXPECT_EQ(RunExecutable(dir_, {"bad.txt", "nothere.txt"}, output), 2);

    // Plural messages across languages: a translated one form may leave out
    // the count, a few form may not change its type; --languages names the
    // forms a language lacks, in every file.
    Utf8File("en.txt", "F.one=%d file\nF.few=%d files\nF.many=%d files\nF.other=%d files\n");
    Utf8File("ru.txt", "F.one=\xD0\xBE\xD0\xB4\xD0\xB8\xD0\xBD\nF.few=%s\nF.many=%d\nF.other=%d\n");
    EXPECT_EQ(RunExecutable(dir_, {"--languages", "ru,ja_JP", "--languages=ar", "en.txt", "ru.txt"}, output), 2);
    EXPECT_EQ(RunExecutable(dir_, {"--languages", "ru,ja_JP", "--languages", "ar", "en.txt", "ru.txt"}, output), 1);
    const std::string ar = ": warning: plural message 'F' has no 'zero' and 'two', forms that whole counts take in 'ar' "
                           "(--languages): there those counts show the text of 'other'\n";
    EXPECT_EQ(output, "en.txt:1" + ar + "ru.txt:1" + ar +
                          "ru.txt:2: error: text of 'F.few': the form takes argument 1 as char*, the 'other' form as int "
                          "(line 4): printf reads the wrong arguments at run time\n"
                          "ru.txt:2: error: text of 'F.few': the translation takes argument 1 as char*, the base text as "
                          "int (en.txt:2): printf reads the wrong arguments at run time\n"
                          "2 files: 2 errors, 2 warnings\n");
    EXPECT_EQ(RunExecutable(dir_, {"--languages", "ru,x!", "en.txt"}, output), 2);
    EXPECT_EQ(output, "textrescheck: --languages: 'x!' is no language tag (say en, ru, pt-BR)\n"
                      "try 'textrescheck --help'\n");
}

}  // namespace
}  // namespace textrescheck
