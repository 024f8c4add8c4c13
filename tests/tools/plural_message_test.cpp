// Which group is a plural message, one table through every program that
// decides it: textrescheck, textresgen-plurals and textresl10n (export, then
// import against the base). A group is the same thing to all three.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/process.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

enum class Kind {
    Ordinary,        // ordinary members
    NoOther,         // category names without `other`: warned about, ordinary members
    PluralMessage,
};

struct GroupRow {
    const char* what;
    const char* group;  // the members of the group G, as definition lines
    Kind kind;
};

const GroupRow kGroups[] = {
    {"one and other", "G.one=%d file\nG.other=%d files\n", Kind::PluralMessage},
    {"other alone", "G.other=%d files\n", Kind::PluralMessage},
    {"categories out of order", "G.many=m\nG.other=o\nG.zero=z\n", Kind::PluralMessage},
    {"no other", "G.one=One\nG.two=Two\n", Kind::NoOther},
    {"a member that is no category", "G.one=a\nG.other=b\nG.Title=t\n", Kind::Ordinary},
    {"a subgroup", "G.one=a\nG.other=b\nG.Sub.x=c\n", Kind::Ordinary},
    {"names are compared exactly", "G.One=a\nG.Other=b\n", Kind::Ordinary},
};

// Writes base.txt, the row's group after an ordinary entry; returns its bytes.
std::string WriteBase(const TempDir& dir, const GroupRow& row) {
    const std::string base = Utf8WithMark(std::string("T=t\n") + row.group);
    EXPECT_TRUE(WriteFileBytes(dir / "base.txt", base));
    return base;
}

RunResult RunIn(const char* program, const TempDir& dir, std::vector<std::string> arguments) {
    RunOptions options;
    options.arguments = std::move(arguments);
    options.workingDirectory = dir.Path();
    RunResult run = RunProgram(program, options);
    EXPECT_TRUE(run.started && run.exited) << run.setupError;
    return run;
}

// The member names of G in a definition file's text (UTF-8).
std::set<std::string> MembersOfG(const std::string& definition) {
    std::set<std::string> members;
    for (std::size_t start = 0; start < definition.size();) {
        std::size_t end = definition.find('\n', start);
        if (end == std::string::npos) end = definition.size();
        const std::string line = definition.substr(start, end - start);
        start = end + 1;
        if (line.compare(0, 2, "G.") == 0) members.insert(line.substr(2, line.find('=') - 2));
    }
    return members;
}

TEST(PluralMessage, Textrescheck) {
    for (const GroupRow& row : kGroups) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        WriteBase(dir, row);
        // Arabic has all six categories, so every plural message here lacks some.
        const RunResult run = RunIn(TEXTRESCHECK_EXE, dir, {"--languages", "ar", "base.txt"});
        const std::string said = run.out + run.err;
        const Kind seen = said.find("so it is no plural message") != std::string::npos ? Kind::NoOther
                          : said.find("plural message 'G' has no") != std::string::npos ? Kind::PluralMessage
                                                                                        : Kind::Ordinary;
        EXPECT_EQ(seen, row.kind) << said;
    }
}

TEST(PluralMessage, TextresgenPlurals) {
    for (const GroupRow& row : kGroups) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        const std::string base = WriteBase(dir, row);
        const RunResult run = RunIn(TEXTRESGEN_PLURALS_EXE, dir, {"base.txt", "out.txt"});
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        const bool completed = ReadFileBytes(dir / "out.txt") != base;
        const Kind seen = !run.err.empty() ? Kind::NoOther : completed ? Kind::PluralMessage : Kind::Ordinary;
        EXPECT_EQ(seen, row.kind) << run.err;
    }
}

// A plural message is imported with a member for each of Arabic's six
// categories; any other group with exactly the base's members.
TEST(PluralMessage, Textresl10nImport) {
    for (const GroupRow& row : kGroups) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        WriteBase(dir, row);
        RunResult run = RunIn(TEXTRESL10N_EXE, dir, {"export", "--base", "base.txt", "--lang", "ar", "-o", "ar.po"});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        run = RunIn(TEXTRESL10N_EXE, dir, {"import", "--base", "base.txt", "ar.po", "-o", "ar.txt"});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const std::set<std::string> imported =
            MembersOfG(Utf8FromUnits(UnitsFromUtf16Le(ReadFileBytes(dir / "ar.txt").value_or(""))));
        const std::set<std::string> inBase = MembersOfG(row.group);
        const std::set<std::string> sixCategories = {"zero", "one", "two", "few", "many", "other"};
        EXPECT_EQ(imported, row.kind == Kind::PluralMessage ? sixCategories : inBase);
    }
}

}  // namespace
}  // namespace textresgen::test
