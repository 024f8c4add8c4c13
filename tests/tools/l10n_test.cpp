// textresl10n end to end: the real program, the real compiler, gettext and
// translate-toolkit. A text survives when the library compiled from the
// imported definition holds exactly the wide string the base's library holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/c_format.h"
#include "support/client_library.h"
#include "support/language_tag_table.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace textresgen::test {
namespace {

namespace fs = std::filesystem;

// Every kind of text the codec must carry: escapes of every sort, octal and
// hex next to digits, "??" (a trigraph once), U+001A (ends a definition file
// when raw), U+FFFF (dropped when raw), U+FEFF, line separators, characters
// outside the BMP raw and escaped, printf directives, {n}, a text long
// enough for gettext to wrap, a line break inside a text, an empty text.
const std::string kBase = std::string(
    "# Shown in the title bar\n"
    "# of the main window\n"
    "App.Title=TextResGen メモ帳\n"
    "App.Menu.File=ファイル(&F)\n"
    "// Asked before closing a changed note\n"
    "Dialog.Save.Prompt=Save the changes to \\\"%s\\\" before closing?\n"
    "Status.Count=%d of %d files\\tdone\\n\n"
    "Status.Sure=100% sure\n"
    "Status.Position=Line {0}, column {1}\n"
    "Status.Numbered=%2$s is %1$d years old\n"
    "Escapes.Simple=\\a\\b\\f\\v\\r\\'\\?\\\\ and ?\?= and ?\\?/\n"
    "Escapes.Octal=\\101\\0101\\7\\77\\377\n"
    "Escapes.Hex=\\x41\\x263a\\x0041B\n"
    "Escapes.Universal=\\u00e9\\U0001F600 raw 😀 𠮷\n"
    "Escapes.Controls=SUB \\032 DEL \\177 NEL \\205 BOM \\uFEFF non \\uFFFF \\uFFFE LS \\u2028\n"
    "Escapes.Tab=a\tb\n"
    "Escapes.Nul=before\\0\n"
    "Empty=\n"
    "Long=A text long enough that gettext wraps it when msgmerge or msginit writes the file again, "
    "at a space somewhere past the seventy-ninth column\n"
    "Multi=first line\\nsecond line\\nthird\n");
constexpr std::size_t kBaseMembers = 17;

fs::path L10nProgram() { return TEXTRESL10N_EXE; }

RunResult RunTool(const fs::path& program, const fs::path& folder, std::vector<std::string> arguments) {
    RunOptions options;
    options.arguments = std::move(arguments);
    options.workingDirectory = folder;
    return RunProgram(program, options);
}

::testing::AssertionResult Ran(const RunResult& run, int status = 0) {
    if (run.started && run.exited && run.exitStatus == status) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status " << run.exitStatus << " (wanted " << status << ")\nstdout: "
                                         << run.out << "\nstderr: " << run.err << run.setupError;
}

// A real tool found when the suite was configured, or a skip.
#define REQUIRE_TOOL(path)                                                                  \
    if (!std::string(path).empty()) {                                                     \
    } else                                                                                \
        GTEST_SKIP() << #path " was not found when configuring"

// The texts of the library made from a definition file, in member order.
std::vector<std::u32string> CompiledTexts(const fs::path& work, const fs::path& definition, std::size_t members) {
    std::string why;
    const auto library = BuildDefinitionLibrary(work, ReadFileBytes(definition).value_or(""), why);
    std::vector<std::u32string> texts;
    if (!why.empty()) {
        ADD_FAILURE() << "no library: " << why;
        return texts;
    }
    if (library) {
        EXPECT_TRUE(ReadMembers(*library, members, texts));
    }
    return texts;
}

class L10nTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClientBuild build;
        std::string why;
        compiles_ = PlatformBuild(build, why);
        ASSERT_TRUE(WriteFileBytes(folder_ / "en.txt", Utf8WithMark(kBase)));
    }
    fs::path At(const std::string& name) const { return folder_ / name; }
    RunResult L10n(std::vector<std::string> arguments) const { return RunTool(L10nProgram(), folder_.Path(), std::move(arguments)); }
    std::string Bytes(const std::string& name) const { return ReadFileBytes(At(name)).value_or("<missing>"); }

    TempDir folder_;
    bool compiles_ = false;
};

// import(export(x)) compiled gives exactly the wide strings x compiled
// gives, member for member, through PO (every unit translated) and through
// XLIFF (every unit falling back to its source); gettext and
// translate-toolkit read what was exported.
TEST_F(L10nTest, RoundTripGivesTheSameCompiledStrings) {
    if (!compiles_) GTEST_SKIP() << "no client build here";
    ASSERT_TRUE(Ran(L10n({"export", "--base", "en.txt", "--translation", "en.txt", "--lang", "fr", "-o", "fr.po"})));
    ASSERT_TRUE(Ran(L10n({"export", "--base", "en.txt", "--lang", "fr", "-o", "fr.xlf"})));
    if (!std::string(TEXTRESL10N_MSGFMT).empty()) {
        const RunResult msgfmt = RunTool(TEXTRESL10N_MSGFMT, folder_.Path(), {"--check-format", "-c", "-o", "fr.mo", "fr.po"});
        EXPECT_TRUE(Ran(msgfmt));
        EXPECT_EQ(msgfmt.err, "") << "msgfmt -c warns about the exported file";
    }
    if (!std::string(TEXTRESL10N_XLIFF2PO).empty()) {
        EXPECT_TRUE(Ran(RunTool(TEXTRESL10N_XLIFF2PO, folder_.Path(), {"fr.xlf", "from-xliff.po"})));
    }
    ASSERT_TRUE(Ran(L10n({"import", "fr.po", "-o", "from-po.txt"})));
    ASSERT_TRUE(Ran(L10n({"import", "fr.xlf", "-o", "from-xliff.txt"})));
    EXPECT_EQ(Bytes("from-po.txt").substr(0, 2), "\xFF\xFE");

    const std::vector<std::u32string> expected = CompiledTexts(At("base"), At("en.txt"), kBaseMembers);
    ASSERT_EQ(expected.size(), kBaseMembers);
    EXPECT_EQ(CompiledTexts(At("po"), At("from-po.txt"), kBaseMembers), expected);
    EXPECT_EQ(CompiledTexts(At("xliff"), At("from-xliff.txt"), kBaseMembers), expected);
    // The same structure: the headers are byte for byte the same.
    EXPECT_EQ(ReadFileBytes(At("po") / "generated" / "textresouce.h"),
              ReadFileBytes(At("base") / "generated" / "textresouce.h"));
}

// A PO file as msginit and msgmerge write it (header filled in, long lines
// wrapped) imports to the same definition as the file we wrote; our PO
// through po2xliff imports to the same definition as well.
TEST_F(L10nTest, FilesRewrittenByGettextAndTranslateToolkitImportTheSame) {
    REQUIRE_TOOL(TEXTRESL10N_MSGMERGE);
    // Without the Escapes.* texts: gettext cuts a text at U+0000, and XML
    // (po2xliff's output) cannot hold control characters.
    std::string base;
    for (std::size_t start = 0, end; start < kBase.size(); start = end + 1) {
        end = kBase.find('\n', start);
        if (kBase.compare(start, 8, "Escapes.") != 0) base += kBase.substr(start, end + 1 - start);
    }
    ASSERT_TRUE(WriteFileBytes(At("en.txt"), Utf8WithMark(base)));
    ASSERT_TRUE(WriteFileBytes(At("ja.txt"), Utf8WithMark("App.Title=テキスト資源 メモ帳\n"
                                                          "Status.Count=%d / %d ファイル\\t完了\\n\n"
                                                          "Long=gettext が書き直すと折り返されるほど長い文章です。"
                                                          "七十九桁を超えたどこかの空白で折り返されます。 and more words\n")));
    ASSERT_TRUE(Ran(L10n({"export", "--base", "en.txt", "-o", "notes.pot"})));
    ASSERT_TRUE(Ran(L10n({"export", "--base", "en.txt", "--translation", "ja.txt", "--lang", "ja", "-o", "ja.po"})));
    ASSERT_TRUE(Ran(L10n({"import", "ja.po", "-o", "ours.txt"})));
    ASSERT_TRUE(Ran(L10n({"import", "notes.pot", "-o", "template.txt"})));

    ASSERT_TRUE(Ran(RunTool(TEXTRESL10N_MSGMERGE, folder_.Path(), {"--quiet", "-o", "merged.po", "ja.po", "notes.pot"})));
    ASSERT_TRUE(Ran(RunTool(TEXTRESL10N_MSGINIT, folder_.Path(),
                        {"--no-translator", "-l", "ja_JP.UTF-8", "-i", "notes.pot", "-o", "init.po"})));
    ASSERT_NE(Bytes("merged.po"), Bytes("ja.po")) << "msgmerge wrote the file unchanged: the check proves nothing";
    ASSERT_TRUE(Ran(L10n({"import", "merged.po", "-o", "merged.txt"})));
    ASSERT_TRUE(Ran(L10n({"import", "init.po", "-o", "init.txt"})));
    EXPECT_EQ(Bytes("merged.txt"), Bytes("ours.txt"));
    EXPECT_EQ(Bytes("init.txt"), Bytes("template.txt"));

    REQUIRE_TOOL(TEXTRESL10N_PO2XLIFF);
    ASSERT_TRUE(Ran(RunTool(TEXTRESL10N_PO2XLIFF, folder_.Path(), {"ja.po", "po2xliff.xlf"})));
    ASSERT_TRUE(Ran(L10n({"import", "po2xliff.xlf", "-o", "po2xliff.txt"})));
    EXPECT_EQ(Bytes("po2xliff.txt"), Bytes("ours.txt"));

    // Our XLIFF through xliff2po (no msgctxt: the key is the "#:" reference)
    // imports the same; pocount counts its translated units as translated.
    REQUIRE_TOOL(TEXTRESL10N_XLIFF2PO);
    ASSERT_TRUE(Ran(L10n({"export", "--base", "en.txt", "--translation", "ja.txt", "--lang", "ja", "-o", "ja.xlf"})));
    ASSERT_TRUE(Ran(RunTool(TEXTRESL10N_XLIFF2PO, folder_.Path(), {"ja.xlf", "xliff2po.po"})));
    ASSERT_NE(Bytes("xliff2po.po").find("#: App.Title\nmsgid"), std::string::npos) << "xliff2po wrote msgctxt";
    ASSERT_TRUE(Ran(L10n({"import", "xliff2po.po", "-o", "xliff2po.txt"})));
    EXPECT_EQ(Bytes("xliff2po.txt"), Bytes("ours.txt"));
    REQUIRE_TOOL(TEXTRESL10N_POCOUNT);
    const RunResult pocount = RunTool(TEXTRESL10N_POCOUNT, folder_.Path(), {"--csv", "ja.xlf", "ja.po"});
    ASSERT_TRUE(Ran(pocount));
    // Per file: name, translated messages, translated source words, fuzzy messages, ...
    EXPECT_NE(pocount.out.find("ja.xlf,  3, "), std::string::npos) << pocount.out;
    EXPECT_NE(pocount.out.find("ja.po,  3, "), std::string::npos) << pocount.out;
}

// The cycle of a release: the base changes, update merges it in place, stats
// gates on what is left, import falls back where the translation is stale.
class L10nUpdate : public L10nTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(L10nUpdate, MarksChangedTextsAndKeepsTheRest) {
    const std::string file = std::string("ja.") + GetParam();
    ASSERT_TRUE(WriteFileBytes(At("ja.txt"), Utf8WithMark("App.Title=メモ帳\nApp.Menu.File=ファイル(&F)\n"
                                                          "Status.Count=%d / %d ファイル\\t完了\\n\n")));
    ASSERT_TRUE(Ran(L10n({"export", "--base", "en.txt", "--translation", "ja.txt", "--lang", "ja", "-o", file})));
    const std::string exported = Bytes(file);
    ASSERT_TRUE(Ran(L10n({"update", "--base", "en.txt", file})));
    EXPECT_EQ(Bytes(file), exported) << "an update with an unchanged base must keep every byte";
    // Whatever the translator's order: msgcat sorts the PO by msgid (and
    // cuts Escapes.Nul's msgid at U+0000, which the first update restores).
    if (file == "ja.po" && !std::string(TEXTRESL10N_MSGCAT).empty()) {
        ASSERT_TRUE(Ran(RunTool(TEXTRESL10N_MSGCAT, folder_.Path(), {"--sort-output", file, "-o", file})));
        ASSERT_TRUE(Ran(L10n({"update", "--base", "en.txt", file})));
        const std::string sorted = Bytes(file);
        ASSERT_EQ(sorted.find("msgctxt \"Empty\""), sorted.find("msgctxt \"")) << "msgcat kept the order";
        const RunResult again = L10n({"update", "--base", "en.txt", file});
        EXPECT_TRUE(Ran(again));
        EXPECT_EQ(again.err, file + ": 0 added, 0 removed, 0 marked for review (unchanged)\n");
        EXPECT_EQ(Bytes(file), sorted) << "an update with an unchanged base must keep every byte";
    }
    const std::string keyAttribute = file == "ja.po" ? "\nmsgctxt \"" : "<trans-unit id=\"";
    const auto keys = [&] {  // the keys in file order
        std::vector<std::string> found;
        const std::string bytes = Bytes(file);
        for (std::size_t at = bytes.find(keyAttribute); at != std::string::npos; at = bytes.find(keyAttribute, at + 1))
            found.push_back(bytes.substr(at + keyAttribute.size(), bytes.find('"', at + keyAttribute.size()) -
                                                                      at - keyAttribute.size()));
        return found;
    };
    std::vector<std::string> order = keys();

    // App.Title changed, App.Menu.File unchanged, Status.Count renamed
    // Status.Counted (its translation carried over for review), one new.
    std::string changed = kBase;
    const std::string oldTitle = "TextResGen メモ帳";
    changed.replace(changed.find(oldTitle), oldTitle.size(), "TextResGen Notes");
    changed.erase(changed.find("Status.Count="), std::string("Status.Count=%d of %d files\\tdone\\n\n").size());
    changed += "Status.New=Ready\nStatus.Counted=%d of %d files\\tdone\\n\n";
    ASSERT_TRUE(WriteFileBytes(At("en.txt"), Utf8WithMark(changed)));
    ASSERT_TRUE(Ran(L10n({"update", "--base", "en.txt", file})));
    // The file's order stays; the new name follows its neighbour in the base.
    order.erase(std::find(order.begin(), order.end(), "Status.Count"));
    order.insert(std::find(order.begin(), order.end(), "Multi") + 1, {"Status.New", "Status.Counted"});
    EXPECT_EQ(keys(), order);
    if (file == "ja.po" && !std::string(TEXTRESL10N_MSGFMT).empty()) {
        EXPECT_TRUE(Ran(RunTool(TEXTRESL10N_MSGFMT, folder_.Path(), {"--check-format", "-c", "-o", "ja.mo", "ja.po"})));
    }

    const RunResult stats = L10n({"stats", "--base", "en.txt", file});
    EXPECT_TRUE(Ran(stats, 1));
    EXPECT_EQ(stats.out, file + ": 18 units: 2 translated (1 identical to the source), 14 untranslated, 2 need review\n");
    const std::string merged = Bytes(file);
    const std::string carried = file == "ja.po" ? "#| msgid \"%d of %d files\\tdone\\n\"\nmsgctxt \"Status.Counted\""
                                                : "<target state=\"needs-review-translation\">";
    EXPECT_NE(merged.find(carried, merged.find("Status.Counted")), std::string::npos) << merged;

    // The stale translation is not used: every member gets its base text,
    // App.Menu.File its translation, and the layout is the new base's.
    ASSERT_TRUE(Ran(L10n({"import", file, "-o", "ja-new.txt"})));
    EXPECT_NE(L10n({"import", file, "-o", "ja-new.txt"}).err.find("16 of them without a usable translation"),
              std::string::npos);
    ASSERT_TRUE(Ran(RunTool(TEXTRESCHECK_EXE, folder_.Path(), {"en.txt", "ja-new.txt"})));
}

INSTANTIATE_TEST_SUITE_P(Formats, L10nUpdate, ::testing::Values("po", "xlf"));

// A large export is written to its file in pieces as it is made: a file of
// many pieces holds every entry as a small one does (in PO, each after a
// blank line), and importing it gives the definition it was made from.
class L10nLargeExport : public L10nTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(L10nLargeExport, HoldsEveryUnitAndImportsBack) {
    const std::string file = std::string("ja.") + GetParam();
    constexpr int kUnits = 6000;  // about a megabyte of PO or XLIFF
    std::string base, translation;
    for (int i = 0; i < kUnits; ++i) {
        const std::string key = "Group" + std::to_string(i / 100) + ".Text" + std::to_string(i);
        base += key + "=Message number " + std::to_string(i) + " of the application, %d files\n";
        translation += key + "=メッセージ " + std::to_string(i) + " 番、%d ファイル\n";
    }
    ASSERT_TRUE(WriteFileBytes(At("big.txt"), Utf8WithMark(base)));
    ASSERT_TRUE(WriteFileBytes(At("ja.txt"), Utf8WithMark(translation)));
    const std::vector<std::string> exportArguments = {"export", "--base", "big.txt", "--translation", "ja.txt",
                                                      "--lang", "ja", "-o", file};
    ASSERT_TRUE(Ran(L10n(exportArguments)));
    const std::string exported = Bytes(file);
    const std::string unitStart = file == "ja.po" ? "\n\n#: Group" : "\n      <trans-unit id=\"Group";
    std::size_t units = 0;
    for (std::size_t at = exported.find(unitStart); at != std::string::npos; at = exported.find(unitStart, at + 1))
        ++units;
    EXPECT_EQ(units, static_cast<std::size_t>(kUnits));

    ASSERT_TRUE(Ran(L10n({"import", "--base", "big.txt", file, "-o", "ja.txt"})));
    ASSERT_TRUE(Ran(L10n(exportArguments)));
    const auto withoutDate = [](std::string bytes) {  // PO's revision date may have turned a minute
        const std::size_t date = bytes.find("PO-Revision-Date: ");
        if (date != std::string::npos) bytes.erase(date, bytes.find('\\', date) - date);
        return bytes;
    };
    EXPECT_EQ(withoutDate(Bytes(file)), withoutDate(exported));
}

INSTANTIATE_TEST_SUITE_P(Formats, L10nLargeExport, ::testing::Values("po", "xlf"));

// Import against the current base: the members are the base's, in its
// order; every unit that cannot be used falls back to the base text with a
// warning at its translation's line; export --translation of the result
// gives each unit back the state it had, so stats counts the same.
class L10nImportWithBase : public L10nTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(L10nImportWithBase, FallsBackWhereTheBaseChangedAndKeepsTheStates) {
    const std::string file = std::string("ja.") + GetParam();
    const std::string product = "# textresl10n: do not translate\nProduct=TextResGen\n";
    ASSERT_TRUE(WriteFileBytes(At("old.txt"), Utf8WithMark("Size=%lu bytes\nKept=Open\nFuzzy=Close\nTodo=Quit\n"
                                                           "Gone=Old\nEquals=a = b\n" + product)));
    ASSERT_TRUE(WriteFileBytes(At("ja.txt"), Utf8WithMark("Size=%lu バイト\nKept=開く\nFuzzy=閉じる\n"
                                                          "Gone=古い\nEquals=あ = い\nProduct=テキスト\n")));
    ASSERT_TRUE(Ran(L10n({"export", "--base", "old.txt", "--translation", "ja.txt", "--lang", "ja", "-o", file})));
    // The translator marks two units for review; the base then changes one
    // text's arguments, drops a name and adds one.
    std::string bytes = Bytes(file);
    EXPECT_NE(bytes.find(file == "ja.po" ? "#, read-only\nmsgctxt \"Product\"" : "id=\"Product\" resname=\"Product\" "
                                                                             "xml:space=\"preserve\" translate=\"no\""),
              std::string::npos) << bytes;
    for (const std::string key : {"Fuzzy", "Equals"}) {
        if (file == "ja.po") bytes.replace(bytes.find("msgctxt \"" + key + "\""), 0, "#, fuzzy\n");
        else bytes.replace(bytes.find("state=\"translated\"", bytes.find("id=\"" + key + "\"")), 18,
                           "state=\"needs-review-translation\"");
    }
    ASSERT_TRUE(WriteFileBytes(At(file), bytes));
    ASSERT_TRUE(WriteFileBytes(At("en.txt"), Utf8WithMark("New=Fresh\nSize=%s\nKept=Open\nFuzzy=Close\nTodo=Quit\n"
                                                          "Equals=a = b\n" + product)));
    const auto lineOf = [&](const std::string& key) {
        const std::size_t unit = bytes.find(file == "ja.po" ? "msgctxt \"" + key : "id=\"" + key);
        std::size_t target = bytes.find(file == "ja.po" ? "msgstr" : "<target", unit);
        if (target > bytes.find("</trans-unit>", unit)) target = unit;  // no <target>: the unit's line
        return file + ":" + std::to_string(1 + std::count(bytes.begin(), bytes.begin() + target, '\n')) + ": warning: ";
    };

    const RunResult import = L10n({"import", "--base", "en.txt", file, "-o", "out.txt"});
    ASSERT_TRUE(Ran(import));
    for (const std::string& expected :
         {file + ": warning: 'New' is not in the file",
          lineOf("Size") + "'Size' was translated for the source '%lu bytes', the base now says '%s'",
          lineOf("Fuzzy") + "'Fuzzy' is marked for review", lineOf("Todo") + "'Todo' is not translated",
          lineOf("Gone") + "'Gone' is not in the base; left out", lineOf("Equals") + "'Equals' is marked for review",
          lineOf("Product") + "'Product' is marked not to translate; the base text is used",
          file + ": 7 units imported, 5 of them without a usable translation took their base text"}) {
        EXPECT_NE(import.err.find(expected), std::string::npos) << expected << "\n" << import.err;
    }
    EXPECT_EQ(import.err.find("'Kept'"), std::string::npos) << import.err;
    // The base's members in its order, the stale %lu never reaching them.
    std::string members;
    for (const char16_t c : UnitsFromUtf16Le(Bytes("out.txt")))
        if (c < 0x80) members += static_cast<char>(c);
    std::string entries;
    for (std::size_t start = 0, end; start < members.size(); start = end + 2) {
        end = members.find("\r\n", start);
        if (members[start] != '#') entries += members.substr(start, end - start) + "|";
    }
    EXPECT_EQ(entries, "New=Fresh|Size=%s|Kept=|Fuzzy=Close|Todo=Quit|Equals=a = b|Product=TextResGen|");
    EXPECT_TRUE(Ran(RunTool(TEXTRESCHECK_EXE, folder_.Path(), {"en.txt", "out.txt"})));

    // The states come back: stats of the re-export counts as stats of the file.
    ASSERT_TRUE(Ran(L10n({"export", "--base", "en.txt", "--translation", "out.txt", "--lang", "ja", "-o", "again." +
                          std::string(GetParam())})));
    const RunResult before = L10n({"stats", "--base", "en.txt", file});
    const RunResult after = L10n({"stats", "--base", "en.txt", "again." + std::string(GetParam())});
    const std::string counts = " 6 units: 1 translated (0 identical to the source), 2 untranslated, 3 need review";
    EXPECT_EQ(before.out, file + ":" + counts + ", 1 not in en.txt; 1 not to translate\n");
    EXPECT_EQ(after.out, "again." + std::string(GetParam()) + ":" + counts + "; 1 not to translate\n");
    // The pseudo-locale leaves it as it is, too.
    ASSERT_TRUE(Ran(L10n({"pseudo", "--base", "en.txt", "-o", "qps.txt"})));
    EXPECT_NE(UnitsFromUtf16Le(Bytes("qps.txt")).find(u"\r\nProduct=TextResGen\r\n"), std::u16string::npos);
    const std::string again = Bytes("again." + std::string(GetParam()));
    EXPECT_NE(again.find("あ = い"), std::string::npos) << "the translation awaiting review was lost:\n" << again;
}

INSTANTIATE_TEST_SUITE_P(Formats, L10nImportWithBase, ::testing::Values("po", "xlf"));

// The definition's entries as "name=body" lines, comment lines left out.
std::vector<std::string> EntryLines(const std::string& utf16) {
    const std::string text = Utf8FromUnits(UnitsFromUtf16Le(utf16));
    std::vector<std::string> entries;
    for (std::size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0, end; start < text.size(); start = end + 2) {
        end = std::min(text.find("\r\n", start), text.size());
        if (text[start] != '#') entries.push_back(text.substr(start, end - start));
    }
    return entries;
}

// A plural message through gettext and translate-toolkit, for languages of
// three, six and one integer forms: msginit makes the PO of the language's
// forms from our template, the translator fills them in, msgfmt -c accepts
// them (their number included), po2xliff and xliff2po carry them, and each
// of the three files imports to the members of the language's integer
// categories, "other" taking the last one's text where it is none of them.
// Our own export of the result passes msgfmt -c and imports the same.
struct PluralLanguage {
    const char* language;
    const char* pluralForms;  // what msginit writes in the header
    std::vector<std::string> categories;  // CLDR's integer categories: msgstr[0..n-1]
    std::vector<std::string> forms;       // the translator's msgstr[0..n-1]
};

TEST_F(L10nTest, PluralFormsRoundTripThroughGettextAndTranslateToolkit) {
    REQUIRE_TOOL(TEXTRESL10N_MSGINIT);
    REQUIRE_TOOL(TEXTRESL10N_PLURALS_XML);
    REQUIRE_TOOL(TEXTRESL10N_MSGFMT);
    REQUIRE_TOOL(TEXTRESL10N_PO2XLIFF);
    REQUIRE_TOOL(TEXTRESL10N_XLIFF2PO);
    ASSERT_TRUE(WriteFileBytes(At("en.txt"), Utf8WithMark("App.Title=Notes\n"
                                                          "# Shown after deleting\n"
                                                          "Files.Deleted.one=%d file deleted\n"
                                                          "Files.Deleted.other=%d files deleted\n")));
    ASSERT_TRUE(Ran(L10n({"export", "--base", "en.txt", "-o", "notes.pot"})));
    const std::vector<PluralLanguage> languages = {
            {"ru", "nplurals=3;", {"one", "few", "many"}, {"%d файл удалён", "%d файла удалены", "%d файлов удалено"}},
            // Arabic's "one" is a single count: its form may leave the count out.
            {"ar", "nplurals=6;", {"zero", "one", "two", "few", "many", "other"},
             {"لم يحذف %d", "حذف ملف واحد", "حذف %d ملفان", "حذف %d ملفات", "حذف %d ملفًا", "حذف %d ملف"}},
            {"ja", "nplurals=1;", {"other"}, {"%d 個のファイルを削除しました"}},
    };
    for (const PluralLanguage& test : languages) {
        const std::string lang = test.language;
        SCOPED_TRACE(lang);
        // msginit's own table lacks Arabic; with GETTEXTCLDRDIR it takes
        // every language's formula from CLDR (through cldr-plurals).
        RunOptions msginit;
        msginit.arguments = {"--no-translator", "-l", lang, "-i", "notes.pot", "-o", lang + ".po"};
        msginit.workingDirectory = folder_.Path();
        msginit.environment = {{"GETTEXTCLDRDIR", fs::path(TEXTRESL10N_PLURALS_XML).parent_path().parent_path().parent_path().string()}};
        ASSERT_TRUE(Ran(RunProgram(TEXTRESL10N_MSGINIT, msginit)));
        std::string po = Bytes(lang + ".po");
        ASSERT_NE(po.find(test.pluralForms), std::string::npos) << po;
        const std::string title = "msgid \"Notes\"\nmsgstr \"\"";
        ASSERT_NE(po.find(title), std::string::npos) << po;
        po.replace(po.find(title), title.size(), "msgid \"Notes\"\nmsgstr \"" + lang + " title\"");
        for (std::size_t i = 0; i < test.forms.size(); ++i) {
            const std::string form = "msgstr[" + std::to_string(i) + "] \"\"";
            ASSERT_NE(po.find(form), std::string::npos) << po;
            po.replace(po.find(form), form.size(), "msgstr[" + std::to_string(i) + "] \"" + test.forms[i] + "\"");
        }
        ASSERT_EQ(po.find("msgstr[" + std::to_string(test.forms.size()) + "]"), std::string::npos) << po;
        ASSERT_TRUE(WriteFileBytes(At(lang + ".po"), po));
        EXPECT_TRUE(Ran(RunTool(TEXTRESL10N_MSGFMT, folder_.Path(), {"--check-format", "-c", "-o", "x.mo", lang + ".po"})));
        ASSERT_TRUE(Ran(RunTool(TEXTRESL10N_PO2XLIFF, folder_.Path(), {lang + ".po", lang + ".xlf"})));
        ASSERT_TRUE(Ran(RunTool(TEXTRESL10N_XLIFF2PO, folder_.Path(), {lang + ".xlf", lang + "-back.po"})));

        std::vector<std::string> expected = {"App.Title=" + lang + " title"};
        for (std::size_t i = 0; i < test.categories.size(); ++i)
            expected.push_back("Files.Deleted." + test.categories[i] + "=" + test.forms[i]);
        if (test.categories.back() != "other") expected.push_back("Files.Deleted.other=" + test.forms.back());
        for (const std::string& file : {lang + ".po", lang + ".xlf", lang + "-back.po"}) {
            const RunResult import = L10n({"import", "--base", "en.txt", file, "-o", file + ".txt"});
            EXPECT_TRUE(Ran(import)) << file;
            EXPECT_EQ(import.err.find("warning"), std::string::npos) << import.err;
            EXPECT_EQ(EntryLines(Bytes(file + ".txt")), expected) << file;
        }
        ASSERT_TRUE(Ran(L10n({"export", "--base", "en.txt", "--translation", lang + ".po.txt", "--lang", lang, "-o",
                              "ours.po"})));
        const RunResult msgfmt = RunTool(TEXTRESL10N_MSGFMT, folder_.Path(), {"--check-format", "-c", "-o", "x.mo", "ours.po"});
        EXPECT_TRUE(Ran(msgfmt));
        EXPECT_EQ(msgfmt.err, "") << "msgfmt -c warns about the exported file";
        ASSERT_TRUE(Ran(L10n({"import", "--base", "en.txt", "ours.po", "-o", "ours.txt"})));
        EXPECT_EQ(Bytes("ours.txt"), Bytes(lang + ".po.txt"));
    }

    // A changed plural source marks the unit for review, counted once; its
    // forms stay until reviewed, and import meanwhile takes the base's.
    ASSERT_TRUE(WriteFileBytes(At("en.txt"), Utf8WithMark("App.Title=Notes\n"
                                                          "# Shown after deleting\n"
                                                          "Files.Deleted.one=%d file deleted\n"
                                                          "Files.Deleted.other=%d files removed\n")));
    for (const std::string& file : {std::string("ru.po"), std::string("ru.xlf")}) {
        const RunResult update = L10n({"update", "--base", "en.txt", file});
        EXPECT_TRUE(Ran(update));
        EXPECT_EQ(update.err, file + ": 0 added, 0 removed, 1 marked for review\n");
        EXPECT_NE(Bytes(file).find("файлов удалено"), std::string::npos) << Bytes(file);
        const RunResult stats = L10n({"stats", "--base", "en.txt", file});
        EXPECT_EQ(stats.out, file + ": 2 units: 1 translated (0 identical to the source), 0 untranslated, 1 need review\n");
        ASSERT_TRUE(Ran(L10n({"import", "--base", "en.txt", file, "-o", "stale.txt"})));
        EXPECT_EQ(EntryLines(Bytes("stale.txt")),
                  (std::vector<std::string>{"App.Title=ru title", "Files.Deleted.one=%d file deleted",
                                            "Files.Deleted.few=%d files removed", "Files.Deleted.many=%d files removed",
                                            "Files.Deleted.other=%d files removed"}));
    }
    EXPECT_TRUE(Ran(RunTool(TEXTRESL10N_MSGFMT, folder_.Path(), {"--check-format", "-c", "-o", "x.mo", "ru.po"})));
    // The pseudo-locale fills every category.
    ASSERT_TRUE(Ran(L10n({"pseudo", "--base", "en.txt", "-o", "qps.txt"})));
    std::vector<std::string> names;
    for (const std::string& entry : EntryLines(Bytes("qps.txt"))) names.push_back(entry.substr(0, entry.find('=')));
    EXPECT_EQ(names, (std::vector<std::string>{"App.Title", "Files.Deleted.zero", "Files.Deleted.one", "Files.Deleted.two",
                                               "Files.Deleted.few", "Files.Deleted.many", "Files.Deleted.other"}));
}

// The pseudo-locale compiles, keeps the layout and passes the checker's
// comparison with the base (placeholders included).
TEST_F(L10nTest, PseudoLocaleCompilesWithTheBaseLayout) {
    ASSERT_TRUE(Ran(L10n({"pseudo", "--base", "en.txt", "-o", "qps.txt"})));
    EXPECT_TRUE(Ran(RunTool(TEXTRESCHECK_EXE, folder_.Path(), {"en.txt", "qps.txt"})));
    if (!compiles_) return;
    const std::vector<std::u32string> texts = CompiledTexts(At("qps"), At("qps.txt"), kBaseMembers);
    ASSERT_EQ(texts.size(), kBaseMembers);
    // Members in header order: App's entries come after the root's groups' ...
    // find the title by its look.
    bool found = false;
    for (const std::u32string& text : texts) found = found || text.rfind(U"[ŢéẋţŔéšĜéñ メモ帳 ~", 0) == 0;
    EXPECT_TRUE(found) << "no pseudo-translated title";
}

// What a hostile translator can send. A text that breaks out of its literal
// or its line must arrive exactly as written, as one member; everything
// else is an error, with the file's line, and nothing is written (an older
// output stays as it was).
struct HostileCase {
    const char* name;
    const char* file;
    std::string content;
    const char* message;  // part of the error; empty: the import succeeds
};

std::string Po(const std::string& entries) {
    return "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n" + entries;
}

std::string Xliff(const std::string& prolog, const std::string& target) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + prolog +
           "<xliff version=\"1.2\"><file original=\"en.txt\" source-language=\"en\" target-language=\"ja\" "
           "datatype=\"plaintext\"><body>\n<trans-unit id=\"A.Text\"><source>Hello</source>\n<target>" +
           target + "</target></trans-unit></body></file></xliff>\n";
}

const HostileCase kHostile[] = {
    {"SurrogateReference", "x.xlf", Xliff("", "a&#xD800;b"), "x.xlf:4: error: the character reference '&#xD800;'"},
    {"SurrogateBytesXliff", "x.xlf", Xliff("", "a\xED\xA0\x80" "b"), "x.xlf:4: error: the file is not UTF-8"},
    {"SurrogateBytesPo", "x.po", Po("msgctxt \"A.Text\"\nmsgid \"Hello\"\nmsgstr \"a\xED\xA0\x80\"\n"),
     "x.po:6: error: the msgstr is not UTF-8"},
    {"BillionLaughs", "x.xlf",
     Xliff("<!DOCTYPE xliff [<!ENTITY lol \"lol\"><!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
           "<!ENTITY lol2 \"&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;\">]>\n", "&lol2;"),
     "x.xlf:2: error: the entity reference '&lol;' is not one of XML's five"},
    {"ExternalEntity", "x.xlf",
     Xliff("<!DOCTYPE xliff [<!ENTITY secret SYSTEM \"file:///etc/passwd\">]>\n", "&secret;"),
     "x.xlf:5: error: the entity reference '&secret;'"},
    {"DoctypeWithoutEntities", "x.xlf", Xliff("<!DOCTYPE xliff SYSTEM \"file:///etc/passwd\">\n", "x"),
     "x.xlf:2: error: the document has a DOCTYPE"},
    {"KeyWithLineBreak", "x.po", Po("msgctxt \"A.Text\\nEvil.Name\"\nmsgid \"Hello\"\nmsgstr \"x\"\n"),
     "x.po:4: error: the key 'A.Text<U+000A>Evil.Name' is no dotted name"},
    {"KeyWithRightToLeftMark", "x.po", Po("msgctxt \"A\xE2\x80\x8F\\nB\"\nmsgid \"Hello\"\nmsgstr \"x\"\n"),
     "x.po:4: error: the key 'A<U+200F><U+000A>B' is no dotted name"},
    {"KeyWithEquals", "x.po", Po("msgctxt \"A=1\\nB\"\nmsgid \"Hello\"\nmsgstr \"x\"\n"), "is no dotted name"},
    {"KeyNotAName", "x.po", Po("msgctxt \"A.delete\"\nmsgid \"Hello\"\nmsgstr \"x\"\n"),
     "x.po:4: error: entry 'delete' in 'A.delete' is a C++ keyword"},
    {"DuplicateKey", "x.po", Po("msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"x\"\n\nmsgctxt \"A\"\nmsgid \"a\"\nmsgstr \"y\"\n"),
     "x.po:8: error: the key 'A' appears twice (first at line 4)"},
    {"PlaceholderMismatch", "x.po",
     Po("#, c-format\nmsgctxt \"A\"\nmsgid \"%s files\"\nmsgstr \"%d ファイル\"\n"),
     "x.po:7: error: 'A': the translation takes argument 1 as int, the base text as char*"},
    {"PercentN", "x.po", Po("msgctxt \"A\"\nmsgid \"%d files\"\nmsgstr \"%n ファイル\"\n"), "is %n"},
    {"NulCutsTheText", "x.po", Po("msgctxt \"A\"\nmsgid \"ab\"\nmsgstr \"a\\0b\"\n"),
     "x.po:6: error: the translation of 'A' holds U+0000 with text after it"},
    {"NotPo", "x.po", "<html>\n", "x.po:1: error: '<html>' is no PO keyword"},
    {"CrOnlyLineEnds", "x.po", Po("msgctxt \"A\"\r\nmsgid \"a\"\rmsgstr \"b\"\r"),
     "x.po:5: error: a line ends in CR alone (classic Mac OS line ends)"},
    {"UnclosedString", "x.po", Po("msgctxt \"A\"\nmsgid \"a\nmsgstr \"b\"\n"), "x.po:5: error: the string has no closing"},
    {"NotXml", "x.xlf", "<xliff version=\"1.2\"><file>\n<body></file>", "x.xlf:2: error: not well-formed XML"},
    {"Xliff2", "x.xlf", "<xliff version=\"2.0\"/>", "XLIFF version '2.0' is not read"},
    {"TooLongForALiteral", "x.po", Po("msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"" + std::string(9000, 'x') + "\"\n"),
     "x.po:6: error: text of 'A' makes a literal of 18002 bytes"},
};

void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }

class HostileTranslator : public L10nTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileTranslator, GetsAnErrorAndNoOutput) {
    const HostileCase& c = GetParam();
    ASSERT_TRUE(WriteFileBytes(At(c.file), c.content));
    ASSERT_TRUE(WriteFileBytes(At("out.txt"), "older output"));
    const RunResult run = L10n({"import", c.file, "-o", "out.txt"});
    EXPECT_TRUE(Ran(run, 1));
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("root:"), std::string::npos) << "a local file was read";
    EXPECT_EQ(Bytes("out.txt"), "older output");
    EXPECT_FALSE(fs::exists(At("out.txt.textresgen-tmp")));
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileTranslator, ::testing::ValuesIn(kHostile),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

// Texts that would end the literal or the line when pasted as they are
// arrive in the compiled library exactly, as the one member they belong to.
TEST_F(L10nTest, HostileTextsArriveExactlyAsOneMember) {
    ASSERT_TRUE(WriteFileBytes(At("x.po"), Po("msgctxt \"A.Quote\"\nmsgid \"a\"\nmsgstr \"\\\";} x; //\"\n\n"
                                              "msgctxt \"A.Line\"\nmsgid \"b\"\nmsgstr \"b\\nEvil.Name=1\"\n\n"
                                              "msgctxt \"A.Cr\"\nmsgid \"c\"\nmsgstr \"c\\r\\nEvil.Other=1\\\\\"\n")));
    ASSERT_TRUE(Ran(L10n({"import", "x.po", "-o", "x.txt"})));
    if (!compiles_) GTEST_SKIP() << "no client build here";
    const std::vector<std::u32string> texts = CompiledTexts(At("lib"), At("x.txt"), 3);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], U"c\r\nEvil.Other=1\\");  // members by name: Cr, Line, Quote
    EXPECT_EQ(texts[1], U"b\nEvil.Name=1");
    EXPECT_EQ(texts[2], U"\";} x; //");
    const std::string header = ReadFileBytes(At("lib") / "generated" / "textresouce.h").value_or("");
    EXPECT_EQ(UnitsFromUtf16Le(header).find(u"Evil"), std::u16string::npos) << "a member was injected";
}

// A 50 MB msgstr: refused early, in bounded memory, nothing written.
TEST_F(L10nTest, HugeTranslationIsRefusedInBoundedMemory) {
    std::string po = Po("msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"");
    po.append(50u * 1024 * 1024, 'x');
    po += "\"\n";
    ASSERT_TRUE(WriteFileBytes(At("huge.po"), po));
    po.clear();
    po.shrink_to_fit();
    RunOptions options;
    options.arguments = {"import", "huge.po", "-o", "huge.txt"};
    options.workingDirectory = folder_.Path();
    // The file alone is 50 MB; a parser that held it several times over, or
    // decoded it to UTF-32, would not fit.
    std::string why;
    if (CanLimitAddressSpace(why)) options.addressSpaceLimit = 200ull * 1024 * 1024;
    const RunResult run = RunProgram(L10nProgram(), options);
    EXPECT_TRUE(Ran(run, 1));
    EXPECT_NE(run.err.find("huge.po:6: error: the string is longer than 1024 KiB"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(At("huge.txt")));
}

}  // namespace
}  // namespace textresgen::test

namespace textresgen::test {
namespace {

// printf placeholders across languages, judged the ways that must agree:
// textrescheck comparing two definition files, textresl10n importing a PO
// and an XLIFF file whose translation is that text, and gettext's msgfmt
// --check-format on the same PO entry (for base texts that are formats:
// only those are flagged c-format).
struct PlaceholderCase {
    const char* name;
    const char* base;         // literal bodies, as in a definition file
    const char* translation;
    const char* problem;      // part of the finding; empty: none
    const char* xliffTarget = nullptr;  // the XLIFF <target>'s content, when not the translation as text
};

const PlaceholderCase kPlaceholders[] = {
    {"SameTypes", "%s has %d files", "%s: %i ファイル", ""},
    {"ReorderedNumbered", "%1$s is %2$d", "%2$d は %1$s", ""},
    {"UnsignedClass", "%x of %u", "%o / %X", ""},
    {"FloatingClass", "%.2f%%", "%g %%", ""},
    {"StarWidth", "%*d", "%*i", ""},
    {"PercentSureIsNoFormat", "100% sure", "%s", ""},
    {"DirectiveAddedToPlainText", "Open", "Ouvrir %d", "has printf directives where the base text has none"},
    {"DirectivesAndWriteAdded", "Some text", "%s%s%s%s%n", "holds %n"},
    {"DirectiveAfterInvalidOne", "Some text", "100% sure: %s", "('% s' at character 4)"},
    {"StarAdded", "Width", "%*", "has printf directives where the base text has none"},
    {"StarBeforeMoreFlags", "Width", "%*.5 wide", "has printf directives where the base text has none"},
    {"WriteInXliffPlaceholder", "Some text", "x%n", "holds %n", "x<ph id=\"1\" ctype=\"x-c-format\">%n</ph>"},
    {"DirectiveInXliffPairedCode", "Some text", "%s", "has printf directives", "<bpt id=\"1\">%s</bpt>"},
    {"DirectiveInXliffGroup", "Some text", "<%s>", "has printf directives", "<g id=\"1\">&lt;%s&gt;</g>"},
    {"PercentBeforeSpaceAdded", "Half price", "50 % de réduction", "('% d' at character 4)"},
    {"PercentBeforeNoBreakSpace", "Half price", "50 %\xC2\xA0" "de réduction", ""},
    {"PercentKeptAfterStrayPercent", "50% off", "50 % de réduction", ""},
    {"PercentSignsEscapedInPlainText", "Save half", "100%%", ""},
    {"ShortWriteAfterStrayPercent", "50% off", "50 %hhn", "holds %n ('%hhn'"},
    {"LongWriteInPlainText", "Some text", "%ln", "holds %n ('%ln'"},
    {"ShortWriteInFormat", "%d", "%hhn", "is %n"},
    {"TypeMismatch", "%s files", "%d ファイル", "takes argument 1 as int, the base text as char*"},
    {"WideString", "%ls", "%s", "takes argument 1 as char*, the base text as wchar_t*"},
    {"LongInt", "%lu", "%u", "takes argument 1 as unsigned int, the base text as unsigned long"},
    {"CharIsNotString", "%c", "%s", "takes argument 1 as char*, the base text as int (a character)"},
    {"FewerArguments", "%d of %d", "%d", "take 1 argument, the base text's 2 arguments"},
    {"MoreArguments", "%d", "%d %s", "take 2 arguments, the base text's 1 argument"},
    {"StarTakesAnInt", "%*d", "%d", "take 1 argument, the base text's 2 arguments"},
    {"EscapedPercent", "\\x25s files", "%d", "takes argument 1 as int"},
    {"WritesMemory", "%d", "%n", "is %n"},
    {"MixedNumbering", "%d %s", "%1$d %s", "mixes numbered"},
    {"ArgumentZero", "%d", "%0$d", "numbers argument 0"},
    {"Unterminated", "%d%%", "%d%", "is not terminated"},
    {"BraceMissing", "{0} of {1}", "{0}", "highest {n} placeholder is {0}, the base text's {1}"},
};

class PlaceholderCheck : public L10nTest, public ::testing::WithParamInterface<PlaceholderCase> {};

std::string PoString(const std::string& body) {
    std::string out;
    for (const char c : body) out += c == '"' ? std::string("\\\"") : std::string(1, c);
    return out;
}

TEST_P(PlaceholderCheck, CheckerImportAndGettextAgree) {
    const PlaceholderCase& c = GetParam();
    const bool expectProblem = *c.problem != '\0';
    ASSERT_TRUE(WriteFileBytes(At("base.txt"), Utf8WithMark(std::string("Text=") + c.base + "\n")));
    ASSERT_TRUE(WriteFileBytes(At("tr.txt"), Utf8WithMark(std::string("Text=") + c.translation + "\n")));
    const RunResult check = RunTool(TEXTRESCHECK_EXE, folder_.Path(), {"base.txt", "tr.txt"});
    EXPECT_TRUE(Ran(check, expectProblem ? 1 : 0));
    if (expectProblem) {
        EXPECT_NE(check.out.find("tr.txt:1: error: text of 'Text': "), std::string::npos) << check.out;
        EXPECT_NE(check.out.find(c.problem), std::string::npos) << check.out;
    }

    // The same pair as a PO entry, the base's escapes decoded by export.
    ASSERT_TRUE(Ran(L10n({"export", "--base", "base.txt", "--lang", "ja", "-o", "x.po"})));
    std::string po = Bytes("x.po");
    po.replace(po.rfind("msgstr \"\""), 9, "msgstr \"" + PoString(c.translation) + "\"");
    ASSERT_TRUE(WriteFileBytes(At("x.po"), po));
    const RunResult import = L10n({"import", "x.po", "-o", "x.txt"});
    EXPECT_TRUE(Ran(import, expectProblem ? 1 : 0));
    if (expectProblem) {
        EXPECT_NE(import.err.find(c.problem), std::string::npos) << import.err;
    }

    // The same through XLIFF, the translation's codes inline or as markup.
    ASSERT_TRUE(Ran(L10n({"export", "--base", "base.txt", "--lang", "ja", "-o", "x.xlf"})));
    std::string xliff = Bytes("x.xlf");
    std::string target = c.xliffTarget ? c.xliffTarget : "";
    if (!c.xliffTarget) {
        for (const char ch : std::string(c.translation))
            target += ch == '<' ? std::string("&lt;") : ch == '&' ? std::string("&amp;") : std::string(1, ch);
    }
    xliff.insert(xliff.find("</source>") + 9, "<target state=\"translated\">" + target + "</target>");
    ASSERT_TRUE(WriteFileBytes(At("x.xlf"), xliff));
    const RunResult fromXliff = L10n({"import", "--base", "base.txt", "x.xlf", "-o", "x.txt"});
    EXPECT_TRUE(Ran(fromXliff, expectProblem ? 1 : 0)) << fromXliff.err;
    if (expectProblem) {
        EXPECT_NE(fromXliff.err.find("x.xlf:6: error: 'Text': "), std::string::npos) << fromXliff.err;
        EXPECT_NE(fromXliff.err.find(c.problem), std::string::npos) << fromXliff.err;
    }

    if (std::string(TEXTRESL10N_MSGFMT).empty() || po.find("c-format") == std::string::npos) return;
    const RunResult msgfmt = RunTool(TEXTRESL10N_MSGFMT, folder_.Path(), {"--check-format", "-o", "x.mo", "x.po"});
    EXPECT_EQ(msgfmt.exitStatus != 0, expectProblem) << "msgfmt judges otherwise:\n" << msgfmt.err;
}

void PrintTo(const PlaceholderCase& c, std::ostream* out) { *out << c.name; }

INSTANTIATE_TEST_SUITE_P(Cases, PlaceholderCheck, ::testing::ValuesIn(kPlaceholders),
                         [](const ::testing::TestParamInfo<PlaceholderCase>& info) { return info.param.name; });

// One form of a plural message against its `other` form. A form for a
// single count may leave out the count, but only where that shifts no other
// argument. gettext's msgfmt --check-format judges the same pair as
// msgstr[0] (single count) or msgstr[1] (many counts) of an entry whose
// msgid_plural is the `other` form.
struct PluralFormCase {
    const char* name;
    const char* other;
    const char* form;
    bool singleCount;
    const char* problem;  // part of the problem; empty: none
    bool msgfmtRejects;
};

const PluralFormCase kPluralForms[] = {
    {"SameArguments", "%d files", "%d file", false, "", false},
    {"CountLeftOut", "%d files", "one file", true, "", false},
    {"CountKeptWhereManyCounts", "%d files", "files", false, "take 0 arguments, the 'other' form's 1 argument", true},
    {"LastCountLeftOut", "%s: %d files", "%s: one file", true, "", false},
    {"LongCountLeftOut", "%s: %lu files", "%s: one file", true, "", false},
    {"CountBeforeTextShifts", "%d files in %s", "one file in %s", true, "may leave out only the count", true},
    {"NumberedCountLeftOut", "%2$d files in %1$s", "one file in %1$s", true, "", false},
    {"NumberedGap", "%1$d files in %2$s", "one file in %2$s", true, "argument 1 is used by no directive", true},
    {"TextIsNoCount", "%d files in %s", "%d file", true, "may leave out only the count", false},
    {"TypeChanged", "%d files", "%s file", true, "takes argument 1 as char*, the 'other' form as int", true},
    {"ArgumentAdded", "%d files", "%d file %s", true, "take 2 arguments, the 'other' form's 1 argument", true},
    {"BraceLeftOut", "{0} files", "one file", true, "", false},
    {"BraceAbove", "{0} files", "{1} file", true, "highest {n} placeholder is {1}, the 'other' form's {0}", false},
    {"BraceKeptWhereManyCounts", "{0} files", "files", false, "highest {n} placeholder is absent", false},
};

class PluralFormCheck : public ::testing::TestWithParam<PluralFormCase> {};

TEST_P(PluralFormCheck, FormAgainstOther) {
    const PluralFormCase& c = GetParam();
    const std::string other = c.other, form = c.form;
    const std::vector<std::string> problems =
        ComparePluralForm(LiteralValues(other.begin(), other.end()), LiteralValues(form.begin(), form.end()), c.singleCount);
    if (*c.problem == '\0') {
        EXPECT_TRUE(problems.empty()) << problems.front();
    } else {
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find(c.problem), std::string::npos) << problems[0];
    }

    if (std::string(TEXTRESL10N_MSGFMT).empty() || !ParsePrintfFormat(LiteralValues(other.begin(), other.end())).IsFormat())
        return;
    TempDir folder;
    const std::string single = c.singleCount ? form : other, many = c.singleCount ? other : form;
    ASSERT_TRUE(WriteFileBytes(folder / "x.po",
                               "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                               "\"Plural-Forms: nplurals=2; plural=(n != 1);\\n\"\n\n#, c-format\nmsgid \"" +
                                   other + "\"\nmsgid_plural \"" + other + "\"\nmsgstr[0] \"" + single +
                                   "\"\nmsgstr[1] \"" + many + "\"\n"));
    // -c: only with its header checks does msgfmt hold a form for many counts to every argument.
    const RunResult msgfmt = RunTool(TEXTRESL10N_MSGFMT, folder.Path(), {"-c", "-o", "x.mo", "x.po"});
    EXPECT_EQ(msgfmt.exitStatus != 0, c.msgfmtRejects) << msgfmt.err;
}

void PrintTo(const PluralFormCase& c, std::ostream* out) { *out << c.name; }

INSTANTIATE_TEST_SUITE_P(Cases, PluralFormCheck, ::testing::ValuesIn(kPluralForms),
                         [](const ::testing::TestParamInfo<PluralFormCase>& info) { return info.param.name; });

}  // namespace
}  // namespace textresgen::test

namespace textresgen::test {
namespace {

// The command line follows the tools' conventions.
struct CommandLineCase {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    const char* out;  // the start of standard output
    const char* err;  // part of standard error
};

const CommandLineCase kCommandLines[] = {
    {"HelpAfterCommand", {"import", "--help"}, 0, "usage: textresl10n export", ""},
    {"HelpAsOptionValueIsAValue", {"import", "x.po", "-o", "--help"}, 1, "", "x.po: error: cannot be opened"},
    {"UnknownOption", {"export", "--bogus"}, 2, "", "unknown option '--bogus'"},
    {"NeedsBase", {"stats"}, 2, "", "textresl10n: stats needs --base"},
    {"UnknownCommand", {"translate"}, 2, "", "unknown command 'translate'"},
    {"MissingValue", {"import", "x.po", "-o"}, 2, "", "the option -o needs a value"},
    {"NoFormat", {"import", "x.txt", "-o", "y.txt"}, 2, "", "must end in .po, .pot, .xlf or .xliff"},
    {"DashDashEndsOptions", {"import", "-o", "y.txt", "--", "--help.po"}, 1, "", "--help.po: error: cannot be opened"},
};

class CommandLine : public L10nTest, public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLine, FollowsTheConventions) {
    const CommandLineCase& c = GetParam();
    const RunResult run = L10n(c.arguments);
    EXPECT_TRUE(Ran(run, c.status));
    EXPECT_EQ(run.out.rfind(c.out, 0), 0u) << run.out;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
}

void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << c.name; }

// File names often come from a glob over what translators sent: their
// control characters must not reach the terminal, whichever message shows
// them. (Missing files, as Windows allows no such names.)
TEST_F(L10nTest, FileNamesReachNoTerminalAsControlCharacters) {
    const std::string escape = "a\x1b[31m\x07";
    const std::vector<std::vector<std::string>> commands = {
        {"import", escape + ".po", "-o", "out.txt"},
        {"stats", "--base", escape + ".txt", "x.po"},
        {"export", "--base", "en.txt", "--translation", escape + ".txt", "--lang", "ja", "-o", "x.po"},
        {"update", "--base", "en.txt", escape + ".xlf"},
    };
    for (const auto& command : commands) {
        const RunResult run = L10n(command);
        EXPECT_TRUE(Ran(run, 1)) << command.front();
        for (const char c : run.out + run.err)  // line ends are CR LF on Windows
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\r') << command.front();
        EXPECT_NE(run.err.find("a<U+001B>[31m<U+0007>."), std::string::npos) << command.front() << ": " << run.err;
    }
}

// --lang over the table the run-time library's IsLanguageTag is tested
// with: a tag goes into the file as it is, gettext's spelling as the tag it
// stands for; anything else is a wrong command line, and nothing is written.
TEST_F(L10nTest, LangTakesTheLanguageTagsOfTheRuntime) {
    ASSERT_TRUE(WriteFileBytes(At("en.txt"), Utf8WithMark("A=Hello\n")));
    for (const LanguageTagCase& c : ReadLanguageTagTable(TEXTRESGEN_LANGUAGE_TAGS)) {
        fs::remove(At("x.po"));
        const RunResult run = L10n({"export", "--base", "en.txt", "--lang", c.text, "-o", "x.po"});
        if (c.tag.empty()) {
            EXPECT_TRUE(Ran(run, 2)) << "line " << c.line << ": " << c.text;
            EXPECT_FALSE(fs::exists(At("x.po"))) << "line " << c.line << ": " << c.text;
        } else {
            EXPECT_TRUE(Ran(run)) << "line " << c.line << ": " << c.text;
            EXPECT_NE(Bytes("x.po").find("\"Language: " + c.tag + "\\n\""), std::string::npos)
                << "line " << c.line << ": " << c.text << " as " << c.tag;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLine, ::testing::ValuesIn(kCommandLines),
                         [](const ::testing::TestParamInfo<CommandLineCase>& info) { return info.param.name; });

}  // namespace
}  // namespace textresgen::test

namespace textresgen::test {
namespace {

// What translators' tools write that update must keep: each file goes
// through `update` with an unchanged base (every byte stays) and with a
// changed one (C's text changed and given a note, B removed, D added), after
// which it must be exactly `updated`: every byte the change does not touch
// as it was.
struct FidelityCase {
    const char* name;
    const char* file;
    std::string content;
    std::string updated;
    const char* imported;  // a line the imported definition holds; empty: not imported
};

const std::string kMark = "\xEF\xBB\xBF";
const std::string kPoA = "msgctxt \"A\"\nmsgid \"Hello\"\nmsgstr \"Hallo\"\n";
const std::string kPoB = "msgctxt \"B\"\nmsgid \"World\"\nmsgstr \"\"\n";
const std::string kPoC = "msgctxt \"C\"\nmsgid \"Third\"\nmsgstr \"\"\n";
const std::string kPoNewC = "#. Third one\nmsgctxt \"C\"\nmsgid \"Third!\"\nmsgstr \"\"\n";
const std::string kPoD = "#: D\nmsgctxt \"D\"\nmsgid \"New\"\nmsgstr \"\"\n";

const std::string kXliffHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xliff version='1.2' xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n"
    "<file original=\"en.txt\" source-language=\"en\" target-language=\"de\" datatype=\"plaintext\"><body>\n"
    "<trans-unit id=\"A\"><source>Hello</source><target>Zeile&#13;&#10;zwei&#9;<![CDATA[a & <b>]]><!-- not text -->"
    "<?pi not text?>&#000000065;</target></trans-unit>\n";
const std::string kXliffGroupHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n"
    "<file original=\"en.txt\" source-language=\"en\" target-language=\"de\" datatype=\"plaintext\"><body>\n"
    "<!-- <trans-unit id=\"B\"><source>World</source></trans-unit> -->\n"
    "<group id=\"g\"><trans-unit id=\"A\"><source>Hello</source><target><![CDATA[</trans-unit>]]>Hallo</target>"
    "</trans-unit>";
const std::string kPrefixedHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<x:xliff version=\"1.2\" xmlns:x=\"urn:oasis:names:tc:xliff:document:1.2\">\r\n"
    " <x:file original=\"en.txt\" source-language=\"en\" target-language=\"de\" datatype=\"plaintext\">\r\n"
    "  <x:body>\r\n"
    "   <x:trans-unit id=\"A\"><x:source>Hello</x:source><x:target>Hallo</x:target></x:trans-unit>";

const FidelityCase kFidelity[] = {
    // The mark stays while nothing changes; a changed file drops it, which msgfmt refuses.
    {"PoByteOrderMark", "x.po", kMark + kPoA + "\n" + kPoB + "\n" + kPoC, kPoA + "\n" + kPoNewC + "\n" + kPoD,
     "A=Hallo"},
    {"PoNoFinalLineEnd", "x.po", kPoA + "\n" + kPoB + "\n" + kPoC.substr(0, kPoC.size() - 1),
     kPoA + "\n" + kPoNewC + "\n" + kPoD.substr(0, kPoD.size() - 1), "A=Hallo"},
    // Mostly LF: what is added ends in LF; each old line keeps its own end.
    {"PoMixedLineEnds", "x.po",
     "msgctxt \"A\"\r\nmsgid \"Hello\"\r\nmsgstr \"Hallo\"\r\n\n" + kPoB + "\nmsgctxt \"C\"\nmsgid \"Third\"\r\nmsgstr \"\"\n",
     "msgctxt \"A\"\r\nmsgid \"Hello\"\r\nmsgstr \"Hallo\"\r\n\n" + kPoNewC + "\n" + kPoD, "A=Hallo"},
    // Mostly CR LF, though the first line ends in LF.
    {"PoMostlyCrLf", "x.po",
     "msgctxt \"A\"\nmsgid \"Hello\"\r\nmsgstr \"Hallo\"\r\n\r\nmsgctxt \"B\"\r\nmsgid \"World\"\r\nmsgstr \"\"\r\n\r\n"
     "msgctxt \"C\"\r\nmsgid \"Third\"\r\nmsgstr \"\"\r\n",
     "msgctxt \"A\"\nmsgid \"Hello\"\r\nmsgstr \"Hallo\"\r\n\r\n#. Third one\r\nmsgctxt \"C\"\r\nmsgid \"Third!\"\r\n"
     "msgstr \"\"\r\n\r\n#: D\r\nmsgctxt \"D\"\r\nmsgid \"New\"\r\nmsgstr \"\"\r\n",
     "A=Hallo"},
    // Blank lines go with the entry after them; those at the end stay last.
    {"PoBlankLines", "x.po", kPoA + "\n\n" + kPoB + "  \t\n" + kPoC + "\n \n",
     kPoA + "  \t\n" + kPoNewC + "\n" + kPoD + "\n \n", "A=Hallo"},
    // Comment blocks stay where they stand, a translated entry that left
    // the base goes to the end as obsolete, and the header gets no field.
    {"PoSectionsAndShortHeader", "x.po",
     "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n" + kPoA +
         "\n# ---- Section B ----\n\nmsgctxt \"B\"\nmsgid \"World\"\nmsgstr \"Welt\"\n\n"
         "# ---- Section C ----\n# (two lines)\n\n" + kPoC,
     "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n" + kPoA +
         "\n# ---- Section B ----\n\n# ---- Section C ----\n# (two lines)\n\n" + kPoNewC + "\n" + kPoD +
         "\n#~ msgctxt \"B\"\n#~ msgid \"World\"\n#~ msgstr \"Welt\"\n",
     "B=Welt"},
    // Strings continued over lines and with escapes, flags on two lines
    // (the fuzzy A imports its source), a previous msgid over lines: kept as
    // they are; the rewritten entry keeps the oldest source its translation
    // was made for.
    {"PoContinuedStringsAndFlags", "x.po",
     "#, fuzzy\n#, no-wrap\nmsgctxt \"A\"\nmsgid \"Hel\"\n\"lo\"\nmsgstr \"\"\n\"Hal\"\n\"lo\\n\"\n\n" + kPoB +
         "\n#| msgid \"\"\n#| \"Thi\"\n#| \"rd?\"\nmsgctxt \"C\"\nmsgid \"Third\"\nmsgstr \"Dritte\"\n",
     "#, fuzzy\n#, no-wrap\nmsgctxt \"A\"\nmsgid \"Hel\"\n\"lo\"\nmsgstr \"\"\n\"Hal\"\n\"lo\\n\"\n\n"
     "#. Third one\n#, fuzzy\n#| msgid \"Third?\"\nmsgctxt \"C\"\nmsgid \"Third!\"\nmsgstr \"Dritte\"\n\n" + kPoD,
     "A=Hello"},
    // Character references stay references (also in a unit that changes),
    // CDATA is text, comments and processing instructions are not.
    {"XliffReferencesCdataComments", "x.xlf",
     kXliffHead + "<trans-unit id=\"B\"><source>World</source></trans-unit>\n"
                  "<trans-unit id=\"C\" approved=\"yes\"><source>Third</source><target state='translated'>Dritte&#13;"
                  "</target></trans-unit>\n</body></file></xliff>\n<!-- end -->\n",
     kXliffHead + "<trans-unit id=\"C\"><source>Third!</source><target state='needs-review-translation'>Dritte&#13;"
                  "</target>\n        <note from=\"developer\">Third one</note></trans-unit>\n"
                  "      <trans-unit id=\"D\" resname=\"D\" xml:space=\"preserve\">\n        <source>New</source>\n"
                  "      </trans-unit>\n</body></file></xliff>\n<!-- end -->\n",
     "A=Zeile\\r\\nzwei\\ta & <b>A"},
    // What is added takes the document's prefix and its CR LF.
    {"XliffNamespacePrefix", "x.xlf",
     kPrefixedHead + "\r\n   <x:trans-unit id=\"B\"><x:source>World</x:source></x:trans-unit>\r\n"
                     "   <x:trans-unit id=\"C\"><x:source>Third</x:source>\r\n   </x:trans-unit>\r\n"
                     "  </x:body>\r\n </x:file>\r\n</x:xliff>\r\n",
     kPrefixedHead + "\r\n   <x:trans-unit id=\"C\"><x:source>Third!</x:source>\r\n"
                     "        <x:note from=\"developer\">Third one</x:note>\r\n   </x:trans-unit>\r\n"
                     "      <x:trans-unit id=\"D\" resname=\"D\" xml:space=\"preserve\">\r\n"
                     "        <x:source>New</x:source>\r\n      </x:trans-unit>\r\n"
                     "  </x:body>\r\n </x:file>\r\n</x:xliff>\r\n",
     "A=Hallo"},
    // Units are found by their tags, not by text that looks like one (in a
    // comment, in CDATA), and inside a group that is no plural message.
    {"XliffUnitsInAGroupBesideLookalikes", "x.xlf",
     kXliffGroupHead + "\n<trans-unit id=\"B\"><source>World</source></trans-unit></group>\n"
                       "<trans-unit id=\"C\"><source>Third</source></trans-unit>\n</body></file></xliff>\n",
     kXliffGroupHead + "</group>\n<trans-unit id=\"C\"><source>Third!</source>\n"
                       "        <note from=\"developer\">Third one</note></trans-unit>\n"
                       "      <trans-unit id=\"D\" resname=\"D\" xml:space=\"preserve\">\n        <source>New</source>\n"
                       "      </trans-unit>\n</body></file></xliff>\n",
     "A=</trans-unit>Hallo"},
};

void PrintTo(const FidelityCase& c, std::ostream* out) { *out << c.name; }

class UpdateFidelity : public ::testing::TestWithParam<FidelityCase> {
protected:
    fs::path At(const std::string& name) const { return folder_ / name; }
    std::string Bytes(const std::string& name) const { return ReadFileBytes(At(name)).value_or("<missing>"); }
    RunResult L10n(std::vector<std::string> arguments) const {
        return RunTool(L10nProgram(), folder_.Path(), std::move(arguments));
    }
    TempDir folder_;
};

TEST_P(UpdateFidelity, KeepsEveryByteTheChangeDoesNotTouch) {
    const FidelityCase& c = GetParam();
    ASSERT_TRUE(WriteFileBytes(At("en.txt"), Utf8WithMark("A=Hello\nB=World\nC=Third\n")));
    ASSERT_TRUE(WriteFileBytes(At("new.txt"), Utf8WithMark("A=Hello\n# Third one\nC=Third!\nD=New\n")));
    ASSERT_TRUE(WriteFileBytes(At(c.file), c.content));
    ASSERT_TRUE(Ran(L10n({"update", "--base", "en.txt", c.file})));
    EXPECT_EQ(Bytes(c.file), c.content) << "an update with an unchanged base must keep every byte";

    const RunResult import = L10n({"import", c.file, "-o", "x.txt"});
    ASSERT_TRUE(Ran(import));
    const std::u16string definition = UnitsFromUtf16Le(Bytes("x.txt"));
    const std::string line = c.imported;
    EXPECT_NE(definition.find(std::u16string(line.begin(), line.end())), std::u16string::npos) << c.imported;

    ASSERT_TRUE(Ran(L10n({"update", "--base", "new.txt", c.file})));
    EXPECT_EQ(Bytes(c.file), c.updated);
    // What was written reads back, and the next update has nothing to do.
    const RunResult again = L10n({"update", "--base", "new.txt", c.file});
    EXPECT_TRUE(Ran(again));
    EXPECT_NE(again.err.find("(unchanged)"), std::string::npos) << again.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, UpdateFidelity, ::testing::ValuesIn(kFidelity),
                         [](const ::testing::TestParamInfo<FidelityCase>& info) { return info.param.name; });

// An update through a link replaces the file it leads to and leaves the link
// a link; the file keeps its permissions (a translator's 0600). An output
// that is no regular file is refused.
TEST_F(L10nTest, OutputThroughALinkReplacesItsTargetAndKeepsItsMode) {
#ifdef _WIN32
    GTEST_SKIP() << "links and POSIX permissions";
#else
    ASSERT_TRUE(WriteFileBytes(At("en.txt"), Utf8WithMark("A=Hello\n")));
    ASSERT_TRUE(Ran(L10n({"export", "--base", "en.txt", "--lang", "de", "-o", "de.po"})));
    fs::create_directory(At("sub"));
    fs::rename(At("de.po"), At("sub") / "de.po");
    fs::permissions(At("sub") / "de.po", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(fs::path("sub") / "de.po", At("de.po"));
    ASSERT_TRUE(WriteFileBytes(At("en.txt"), Utf8WithMark("A=Hello\nB=New\n")));
    ASSERT_TRUE(Ran(L10n({"update", "--base", "en.txt", "de.po"})));
    EXPECT_TRUE(fs::is_symlink(At("de.po")));
    EXPECT_NE(Bytes("sub/de.po").find("msgctxt \"B\""), std::string::npos);
    EXPECT_EQ(fs::status(At("sub") / "de.po").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    for (const auto& entry : fs::recursive_directory_iterator(folder_.Path()))
        EXPECT_EQ(entry.path().string().find("-tmp"), std::string::npos) << entry.path();

    // A FIFO in an output's place is refused at once, never waited on, and
    // stays a FIFO.
    ASSERT_EQ(::mkfifo(At("fifo.po").c_str(), 0666), 0);
    const RunResult fifo = L10n({"export", "--base", "en.txt", "--lang", "de", "-o", "fifo.po"});
    EXPECT_TRUE(Ran(fifo, 1));
    EXPECT_NE(fifo.err.find("fifo.po: error: cannot be written"), std::string::npos) << fifo.err;
    EXPECT_TRUE(fs::is_fifo(At("fifo.po")));
#endif
}

}  // namespace
}  // namespace textresgen::test
