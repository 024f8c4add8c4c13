// textresl10n's files as translators' own tools judge them: each case runs
// our commands on a few files, then msgfmt -c, msgattrib, pocount and
// xmllint with XLIFF 1.2's strict schema judge the result, and must agree
// with us (a file we write they accept; a file we refuse they refuse; the
// units we count as translated, untranslated or for review they count so).
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

namespace fs = std::filesystem;

enum Tool : unsigned { kMsgfmt = 1, kMsgattrib = 2, kPocount = 4, kSchema = 8, kToolkit = 16 };

struct AgreementCase {
    const char* name;
    // Files to write first; a definition file (.txt) gets the UTF-8 mark.
    std::vector<std::pair<std::string, std::string>> files;
    // Our commands in turn (po2xliff and xliff2po: translate-toolkit's);
    // every one but the last must succeed.
    std::vector<std::vector<std::string>> commands;
    bool accepted;       // the last command succeeds, and the tools accept the file
    std::string judged;  // the file the tools judge
    unsigned tools;
    std::vector<std::string> holds;  // what the judged file must hold
    std::vector<std::string> lacks;  // and must not
};

const std::string kEn = "A.X=Redo\nA.Y=Undo\n";
const std::string kDe = "A.X=Wiederholen\nA.Y=Rückgängig\n";
const std::vector<std::string> kExportDe = {"export", "--base", "en.txt", "--translation", "de.txt", "--lang", "de",
                                            "-o", "de.po"};

std::string PoHeader(const std::string& pluralForms) {
    return "msgid \"\"\nmsgstr \"\"\n\"Project-Id-Version: en.txt\\n\"\n\"PO-Revision-Date: 2026-12-10 10:00+0000\\n\"\n"
           "\"Last-Translator: \\n\"\n\"Language-Team: \\n\"\n\"Language: de\\n\"\n\"MIME-Version: 1.0\\n\"\n"
           "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\"Content-Transfer-Encoding: 8bit\\n\"\n" +
           (pluralForms.empty() ? "" : "\"Plural-Forms: " + pluralForms + "\\n\"\n") + "\n";
}

// A plural message fully translated under the formula `pluralForms`.
AgreementCase FormulaCase(const char* name, const std::string& pluralForms, bool accepted) {
    return {name,
            {{"en.txt", "F.one=%d file\nF.other=%d files\n"},
             {"de.po", PoHeader(pluralForms) + "#, c-format\nmsgctxt \"F\"\nmsgid \"%d file\"\nmsgid_plural \"%d files\"\n"
                                               "msgstr[0] \"%d Datei\"\nmsgstr[1] \"%d Dateien\"\n"}},
            {{"import", "--base", "en.txt", "de.po", "-o", "de-imported.txt"}},
            accepted,
            "de.po",
            kMsgfmt,
            {},
            {}};
}

// A hand-edited XLIFF file: every state XLIFF names, approved or not.
const std::string kHandEdited =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n"
        "  <file original=\"en.txt\" source-language=\"en\" target-language=\"de\" datatype=\"plaintext\">\n"
        "    <body>\n"
        "      <trans-unit id=\"M.A\"><source>One</source><target state=\"new\">Eins</target></trans-unit>\n"
        "      <trans-unit id=\"M.B\" approved=\"no\"><source>Two</source><target state=\"translated\">Zwei</target></trans-unit>\n"
        "      <trans-unit id=\"M.C\" approved=\"yes\"><source>Three</source><target state=\"final\">Drei</target></trans-unit>\n"
        "      <trans-unit id=\"M.D\" approved=\"yes\"><source>Four</source><target state=\"signed-off\">Vier</target></trans-unit>\n"
        "      <trans-unit id=\"M.E\"><source>Five</source><target state=\"needs-review-l10n\">Fünf</target></trans-unit>\n"
        "      <trans-unit id=\"M.F\"><source>Six</source><target state=\"translated\">Sechs</target></trans-unit>\n"
        "      <trans-unit id=\"M.G\"><source>Seven</source><target state=\"needs-translation\"></target></trans-unit>\n"
        "      <trans-unit id=\"M.H\" approved=\"yes\"><source>Eight</source><target>Acht</target></trans-unit>\n"
        "    </body>\n  </file>\n</xliff>\n";
const std::string kHandEditedBase = "M.A=One\nM.B=Two\nM.C=Three\nM.D=Four\nM.E=Five\nM.F=Six\nM.G=Seven\nM.H=Eight\n";

// Plain texts, notes, a text not to translate, plural messages (one with a
// note), translated and not.
const std::string kShapes = "# A note\nA.X=Redo %d\n# textresl10n: do not translate\nA.P=Product\n"
                            "# Files\nF.one=%d file\nF.other=%d files\nA.Z=Cut\n";

const AgreementCase kCases[] = {
        // A name that leaves the base and comes back: its translation is
        // active again, never beside its obsolete entry.
        {"RevivedName",
         {{"en.txt", kEn}, {"de.txt", kDe}, {"without.txt", "A.Y=Undo\n"}},
         {kExportDe, {"update", "--base", "without.txt", "de.po"}, {"update", "--base", "en.txt", "de.po"}},
         true,
         "de.po",
         kMsgfmt | kMsgattrib | kPocount,
         {"msgctxt \"A.X\"\nmsgid \"Redo\"\nmsgstr \"Wiederholen\"\n"},
         {"#~", "fuzzy"}},
        // ... with another source now: back for review.
        {"RevivedNameWithAnotherSource",
         {{"en.txt", kEn}, {"de.txt", kDe}, {"without.txt", "A.Y=Undo\n"}, {"changed.txt", "A.X=Redo it\nA.Y=Undo\n"}},
         {kExportDe, {"update", "--base", "without.txt", "de.po"}, {"update", "--base", "changed.txt", "de.po"}},
         true,
         "de.po",
         kMsgfmt | kMsgattrib | kPocount,
         {"#, fuzzy\n#| msgid \"Redo\"\nmsgctxt \"A.X\"\nmsgid \"Redo it\"\nmsgstr \"Wiederholen\"\n"},
         {"#~"}},
        // A rename keeps the old name and source for the reviewer.
        {"Rename",
         {{"en.txt", kEn}, {"de.txt", kDe}, {"renamed.txt", "A.X=Redo\nB.Y=Undo\n"}},
         {kExportDe, {"update", "--base", "renamed.txt", "de.po"}},
         true,
         "de.po",
         kMsgfmt | kMsgattrib | kPocount,
         {"#, fuzzy\n#| msgctxt \"A.Y\"\n#| msgid \"Undo\"\nmsgctxt \"B.Y\"\nmsgid \"Undo\"\nmsgstr \"Rückgängig\""},
         {}},
        // ... also once imported and exported again.
        {"RenameThroughImportAndExport",
         {{"en.txt", kEn}, {"de.txt", kDe}, {"renamed.txt", "A.X=Redo\nB.Y=Undo\n"}},
         {kExportDe,
          {"update", "--base", "renamed.txt", "de.po"},
          {"import", "--base", "renamed.txt", "de.po", "-o", "imported.txt"},
          {"export", "--base", "renamed.txt", "--translation", "imported.txt", "--lang", "de", "-o", "again.po"}},
         true,
         "again.po",
         kMsgfmt | kMsgattrib | kPocount,
         {"#, fuzzy\n#| msgctxt \"A.Y\"\n#| msgid \"Undo\"\nmsgctxt \"B.Y\"\nmsgid \"Undo\"\nmsgstr \"Rückgängig\""},
         {}},
        // A file with a UTF-8 byte order mark, updated: msgfmt reads it.
        {"ByteOrderMark",
         {{"en.txt", "A.X=Redo\nA.Z=New\n"},
          {"de.po", "\xEF\xBB\xBF" + PoHeader("") + "msgctxt \"A.X\"\nmsgid \"Redo\"\nmsgstr \"Wiederholen\"\n"}},
         {{"update", "--base", "en.txt", "de.po"}},
         true,
         "de.po",
         kMsgfmt | kMsgattrib | kPocount,
         {"msgctxt \"A.Z\""},
         {"\xEF\xBB\xBF"}},
        // Plural formulas: msgfmt's verdict is ours.
        FormulaCase("PluralFormulaOfTheLanguage", "nplurals=2; plural=(n != 1);", true),
        FormulaCase("PluralFormulaPastNplurals", "nplurals=2; plural=n+7;", false),
        FormulaCase("PluralFormulaNegative", "nplurals=2; plural=0-1;", false),
        FormulaCase("PluralFormulaDividesByZero", "nplurals=2; plural=(n==1 ? 0 : 10/(n-5));", false),
        FormulaCase("PluralFormulaPastNpluralsAtTheLastCount", "nplurals=2; plural=(n==1000 ? 2 : n != 1);", false),
        // XLIFF states: we count as pocount does, and the file is valid.
        {"XliffStatesCounted",
         {{"en.txt", kHandEditedBase}, {"de.xlf", kHandEdited}},
         {{"stats", "--base", "en.txt", "de.xlf"}},
         false,  // stats exits 1 while units are unfinished
         "de.xlf",
         kPocount | kSchema,
         {},
         {}},
        // ... and every state and approved value survives import and export.
        {"XliffStatesThroughImportAndExport",
         {{"en.txt", kHandEditedBase}, {"de.xlf", kHandEdited}},
         {{"import", "--base", "en.txt", "de.xlf", "-o", "de.txt"},
          {"export", "--base", "en.txt", "--translation", "de.txt", "--lang", "de", "-o", "again.xlf"}},
         true,
         "again.xlf",
         kPocount | kSchema,
         {"<target state=\"new\">Eins</target>", "approved=\"no\">\n        <source>Two</source>\n        <target state=\"translated\">",
          "approved=\"yes\">\n        <source>Three</source>\n        <target state=\"final\">",
          "<target state=\"signed-off\">Vier", "<target state=\"needs-review-l10n\">Fünf",
          "id=\"M.F\" resname=\"M.F\" xml:space=\"preserve\">\n        <source>Six</source>\n        <target state=\"translated\">"},
         {}},
        // Exports of every shape are valid by the strict schema, before and
        // after an update that changes a plural message's note and adds one.
        {"XliffSchemaOfAnExport",
         {{"en.txt", kShapes}, {"de.txt", "A.X=Wieder %d\nF.one=%d Datei\nF.other=%d Dateien\n"}},
         {{"export", "--base", "en.txt", "--translation", "de.txt", "--lang", "de", "-o", "de.xlf"}},
         true,
         "de.xlf",
         kSchema,
         {"<group id=\"F\" resname=\"F\" restype=\"x-gettext-plurals\">\n        <note from=\"developer\">Files</note>"},
         {"po-reference"}},
        {"XliffSchemaAfterAnUpdate",
         {{"en.txt", kShapes},
          {"de.txt", "A.X=Wieder %d\nF.one=%d Datei\nF.other=%d Dateien\n"},
          {"new.txt", kShapes + "# Dogs\nG.one=%d dog\nG.other=%d dogs\n"}},
         {{"export", "--base", "en.txt", "--translation", "de.txt", "--lang", "de", "-o", "de.xlf"},
          {"update", "--base", "new.txt", "de.xlf"}},
         true,
         "de.xlf",
         kSchema,
         {"<group id=\"G\" resname=\"G\" restype=\"x-gettext-plurals\">\n        <note from=\"developer\">Dogs</note>"},
         {}},
        // po2xliff's file, updated: a new unit keeps its key through xliff2po
        // as the others do, and the PO file imports.
        {"Po2xliffFileUpdatedThroughXliff2po",
         {{"en.txt", kEn}, {"de.txt", kDe}, {"new.txt", kEn + "A.Z=Close\n"}},
         {kExportDe,
          {"po2xliff", "de.po", "de.xlf"},
          {"update", "--base", "new.txt", "de.xlf"},
          {"xliff2po", "de.xlf", "back.po"},
          {"import", "--base", "new.txt", "back.po", "-o", "back.txt"}},
         true,
         "back.po",
         kToolkit,
         {"#: A.Z\nmsgid \"Close\""},
         {}},
};

void PrintTo(const AgreementCase& c, std::ostream* out) { *out << c.name; }

RunResult RunIn(const fs::path& program, const fs::path& folder, std::vector<std::string> arguments) {
    RunOptions options;
    options.arguments = std::move(arguments);
    options.workingDirectory = folder;
    return RunProgram(program, options);
}

bool Succeeded(const RunResult& run) { return run.started && run.exited && run.exitStatus == 0; }

std::string Shown(const RunResult& run) {
    return "status " + std::to_string(run.exitStatus) + "\n" + run.out + run.err + run.setupError;
}

// {translated, for review, untranslated}: pocount's messages, or ours.
using Counts = std::vector<long>;

Counts PocountCounts(const std::string& csv) {
    std::smatch m;  // file, translated, its source and target words, fuzzy, its words, untranslated
    if (!std::regex_search(csv, m, std::regex(R"(\n[^,\n]+,\s*(\d+),\s*\d+,\s*\d+,\s*(\d+),\s*\d+,\s*(\d+),)"))) return {};
    return {std::stol(m[1]), std::stol(m[2]), std::stol(m[3])};
}

Counts StatsCounts(const std::string& line) {
    std::smatch m;
    if (!std::regex_search(line, m, std::regex(R"((\d+) translated .*, (\d+) untranslated, (\d+) need review)"))) return {};
    return {std::stol(m[1]), std::stol(m[3]), std::stol(m[2])};
}

class Agreement : public ::testing::TestWithParam<AgreementCase> {
protected:
    fs::path At(const std::string& name) const { return folder_ / name; }
    TempDir folder_;
};

TEST_P(Agreement, TranslatorsToolsAgree) {
    const AgreementCase& c = GetParam();
    struct Needed {
        Tool tool;
        const char* path;
        const char* what;
    };
    for (const Needed& needed : {Needed{kMsgfmt, TEXTRESL10N_MSGFMT, "msgfmt (gettext)"},
                                 Needed{kMsgattrib, TEXTRESL10N_MSGATTRIB, "msgattrib (gettext)"},
                                 Needed{kPocount, TEXTRESL10N_POCOUNT, "pocount (translate-toolkit)"},
                                 Needed{kSchema, TEXTRESL10N_XMLLINT, "xmllint (libxml2-utils)"},
                                 Needed{kToolkit, TEXTRESL10N_PO2XLIFF, "po2xliff (translate-toolkit)"},
                                 Needed{kToolkit, TEXTRESL10N_XLIFF2PO, "xliff2po (translate-toolkit)"},
                                 Needed{kSchema, TEXTRESL10N_XLIFF_SCHEMA,
                                        "the XLIFF 1.2 strict schema xliff-core-1.2-strict.xsd (php-symfony-translation)"}})
        if ((c.tools & needed.tool) != 0 && std::string(needed.path).empty())
            GTEST_SKIP() << needed.what << " was not found when configuring";

    for (const auto& [name, content] : c.files)
        ASSERT_TRUE(WriteFileBytes(At(name), name.size() > 4 && name.substr(name.size() - 4) == ".txt"
                                                     ? Utf8WithMark(content)
                                                     : content));
    RunResult ours;
    for (std::size_t i = 0; i < c.commands.size(); ++i) {
        const std::string& first = c.commands[i][0];
        if (first == "po2xliff" || first == "xliff2po")
            ours = RunIn(first == "po2xliff" ? TEXTRESL10N_PO2XLIFF : TEXTRESL10N_XLIFF2PO, folder_.Path(),
                         {c.commands[i].begin() + 1, c.commands[i].end()});
        else
            ours = RunIn(TEXTRESL10N_EXE, folder_.Path(), c.commands[i]);
        if (i + 1 < c.commands.size()) {
            ASSERT_TRUE(Succeeded(ours)) << c.commands[i][0] << ": " << Shown(ours);
        }
    }
    EXPECT_EQ(Succeeded(ours), c.accepted) << "textresl10n " << c.commands.back()[0] << ": " << Shown(ours);
    const std::string judged = ReadFileBytes(At(c.judged)).value_or("<missing>");
    for (const std::string& held : c.holds) EXPECT_NE(judged.find(held), std::string::npos) << held << "\n" << judged;
    for (const std::string& lacked : c.lacks) EXPECT_EQ(judged.find(lacked), std::string::npos) << lacked << "\n" << judged;

    // A tool accepts the file exactly when we do (stats: whatever it counts).
    const bool valid = c.accepted || c.commands.back()[0] == "stats";
    if (c.tools & kMsgfmt) {
        const RunResult msgfmt = RunIn(TEXTRESL10N_MSGFMT, folder_.Path(), {"-c", "-o", "x.mo", c.judged});
        EXPECT_EQ(Succeeded(msgfmt), valid) << "msgfmt -c: " << Shown(msgfmt) << judged;
    }
    if (c.tools & kMsgattrib) {
        const RunResult msgattrib = RunIn(TEXTRESL10N_MSGATTRIB, folder_.Path(), {"-o", "x.po", c.judged});
        EXPECT_EQ(Succeeded(msgattrib), valid) << "msgattrib: " << Shown(msgattrib) << judged;
    }
    if (c.tools & kSchema) {
        const RunResult xmllint =
                RunIn(TEXTRESL10N_XMLLINT, folder_.Path(), {"--noout", "--schema", TEXTRESL10N_XLIFF_SCHEMA, c.judged});
        EXPECT_EQ(Succeeded(xmllint), valid) << "xmllint --schema: " << Shown(xmllint) << judged;
    }
    if (c.tools & kPocount) {
        const RunResult pocount = RunIn(TEXTRESL10N_POCOUNT, folder_.Path(), {"--csv", c.judged});
        std::string base = "en.txt";  // the base of the last command that names one
        for (const std::vector<std::string>& command : c.commands)
            for (std::size_t i = 0; i + 1 < command.size(); ++i)
                if (command[i] == "--base") base = command[i + 1];
        const RunResult stats = RunIn(TEXTRESL10N_EXE, folder_.Path(), {"stats", "--base", base, c.judged});
        const Counts theirs = PocountCounts(pocount.out);
        ASSERT_EQ(theirs.size(), 3u) << "pocount: " << Shown(pocount);
        EXPECT_EQ(StatsCounts(stats.out), theirs) << "stats: " << Shown(stats) << "pocount: " << pocount.out;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Agreement, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<AgreementCase>& info) { return info.param.name; });

}  // namespace
}  // namespace textresgen::test
