// One definition file checked in memory: one row per finding kind, with the
// exact line printed for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check_test_support.h"
#include "support/failing_source.h"
#include "support/utf16_bytes.h"

namespace textrescheck {
namespace {

using namespace std::string_literals;
using testing::PrintedLines;

struct Row {
    const char* kind;
    std::string body;  // UTF-8, stored after the UTF-8 mark
    std::vector<std::string> printed;
    std::vector<std::string> languages = {};  // --languages
};

const std::string kHeader = ": the header will not compile";
const std::string kSource = ": the source will not compile";
const std::string kReserved =
    "is an identifier that C++ reserves for the compiler and its library: it may clash with one of their names";
const std::string kNameChar = ", which no C++ identifier may hold" + kHeader;
const std::string kWrongArguments = ": printf reads the wrong arguments at run time";

// A name nested `groups` deep: a.b.a.b...e
std::string Deep(int groups) {
    std::string name;
    for (int level = 0; level < groups; ++level) name += level % 2 ? "b." : "a.";
    return name + "e";
}

const std::vector<Row> kRows = {
    // --- names that are no identifier, keywords, the generated code's own names
    {"space in a name", "Menu.File Open=Open\n",
     {"T.txt:1: error: entry 'File Open' in 'Menu.File Open' holds a space (U+0020)" + kNameChar}},
    {"punctuation in a group name", "My-Menu.Open=x\n",
     {"T.txt:1: error: group 'My-Menu' in 'My-Menu.Open' holds '-' (U+002D)" + kNameChar}},
    {"tab before the =", "Title\t=x\n",
     {"T.txt:1: warning: entry 'Title<U+0009>' has spaces or tabs around it, which the compiler skips but the "
      "generator keeps: another line or language that spells the name without them names another member"}},
    {"one name with and without a blank", "Title=x\nTitle =y\n",
     {"T.txt:2: warning: entry 'Title ' has spaces or tabs around it, which the compiler skips but the generator "
      "keeps: another line or language that spells the name without them names another member",
      "T.txt:2: error: entry 'Title ' spells the identifier of 'Title' (line 1) another way (blanks around it, "
      "universal character names): the header declares two members named 'Title ' and will not compile"}},
    {"blank before a group", " Menu.Open=x\n", {"T.txt:1: error: group ' Menu' in ' Menu.Open' holds a space (U+0020)" + kNameChar}},
    {"leading digit", "2nd=x\n", {"T.txt:1: error: entry '2nd' starts with a digit, so it is not a C++ identifier" + kHeader}},
    {"empty group name", "a..b=x\n",
     {"T.txt:1: error: empty group name in 'a..b': the member has no name and the generated code will not compile"}},
    {"empty entry name", "=x\n",
     {"T.txt:1: error: empty entry name: the member has no name and the generated code will not compile"}},
    {"ideographic space", "File\xE3\x80\x80Open=x\n",
     {"T.txt:1: error: entry 'File\xE3\x80\x80Open' holds '\xE3\x80\x80' (U+3000), which is no identifier "
      "character (Unicode XID_Continue): Clang rejects the header"}},
    {"a sign, not a letter", "a\xC3\x97" "b=x\n",
     {"T.txt:1: error: entry 'a\xC3\x97" "b' holds '\xC3\x97' (U+00D7), which is no identifier character (Unicode "
      "XID_Continue): Clang rejects the header"}},
    {"combining mark first", "\xCC\x81" "a=x\n",
     {"T.txt:1: error: entry '\xCC\x81" "a' starts with '\xCC\x81' (U+0301), which may continue an identifier but not "
      "begin it (Unicode XID_Start)" + kHeader}},
    {"letter newer than Clang knows", "a\xF0\x91\xBC\x84=x\n",
     {"T.txt:1: error: entry 'a\xF0\x91\xBC\x84' holds '\xF0\x91\xBC\x84' (U+11F04), an identifier character "
      "added after Unicode 14.0 (the version Clang 14 knows): Clang 14 rejects the header"}},
    {"bidirectional control in a name", "a\xE2\x80\xAE" "b=x\n",
     {"T.txt:1: error: entry 'a<U+202E>b' holds the invisible bidirectional control U+202E, which no C++ identifier "
      "may hold (and which can make code read otherwise than it compiles)" + kHeader}},
    {"backslash that is no UCN", "a\\x41=x\n",
     {"T.txt:1: error: entry 'a\\x41' holds a backslash that begins no universal character name (\\u and 4 hex "
      "digits, or \\U and 8)" + kHeader}},
    {"UCN of a basic character", "a\\u0041=x\n",
     {"T.txt:1: error: entry 'a\\u0041' spells U+0041 as a universal character name, which an identifier may not "
      "do for a basic or control character" + kHeader}},
    {"one identifier spelled two ways", "caf\xC3\xA9=x\ncaf\\U000000E9=y\n",
     {"T.txt:2: error: entry 'caf\\U000000E9' spells the identifier of 'caf\xC3\xA9' (line 1) another way (blanks "
      "around it, universal character names): the header declares two members named 'caf\\U000000E9' and will not compile"}},
    {"GNU keyword", "typeof=x\n",
     {"T.txt:1: error: entry 'typeof' is a keyword in GNU mode (-std=gnu++17, CMake's default): GCC and Clang "
      "reject the header there"}},
    {"C++20 keyword", "concept=x\n",
     {"T.txt:1: error: entry 'concept' is a keyword of C++20: the header will not compile with -std=c++20 and "
      "later"}},
    {"compiler keyword", "__int128=x\n",
     {"T.txt:1: error: entry '__int128' is a keyword, built-in or predefined macro of GCC or Clang" + kHeader}},
    {"MSVC keyword", "__int64=x\n", {"T.txt:1: error: entry '__int64' is a keyword of MSVC: MSVC rejects the header"}},
    {"GNU mode macro", "linux=x\n",
     {"T.txt:1: warning: entry 'linux' is a macro that GCC and Clang predefine as 1 in GNU mode (-std=gnu++17, "
      "CMake's default) on some platforms (Linux, Unix, 32-bit x86): the header will not compile there"}},
    {"keyword", "Edit.delete=x\n", {"T.txt:1: error: entry 'delete' in 'Edit.delete' is a C++ keyword" + kHeader}},
    {"alternative token", "not.x=y\n", {"T.txt:1: error: group 'not' in 'not.x' is a C++ keyword" + kHeader}},
    {"member type S", "S=x\n",
     {"T.txt:1: error: entry 'S' hides the type S that the generated members are declared with" + kHeader}},
    {"group S after an entry of its structure", "Menu.a=1\nMenu.S.x=y\n",
     {"T.txt:2: error: group 'Menu.S' (line 2) declares a member S in 'Menu', where an entry of it uses the type S "
      "before (GCC rejects the header): S then no longer names the type there; rename the group"}},
    {"group S before a later group", "Menu.S.x=y\nMenu.Sub.z=1\n",
     {"T.txt:2: error: group 'Menu.S' (line 1) declares a member S in 'Menu', where a group after it uses the name S "
      "as the type (the header will not compile): S then no longer names the type there; rename the group"}},
    {"include guard", "_TextResource_=x\n",
     {"T.txt:1: error: entry '_TextResource_' is the header's include guard, a macro that expands to nothing" +
      kHeader}},
    {"group inside its namesake", "Menu.Menu.x=y\n",
     {"T.txt:1: error: group 'Menu' in 'Menu.Menu.x' declares a structure '_Menu' inside the structure of the same "
      "name" + kHeader}},
    // --- warnings about names
    {"underscore and capital", "Menu._Open=x\n", {"T.txt:1: warning: entry '_Open' in 'Menu._Open' " + kReserved}},
    {"double underscore", "a__b=x\n", {"T.txt:1: warning: entry 'a__b' " + kReserved}},
    {"group with a leading underscore", "_menu.Open=x\n",
     {"T.txt:1: warning: group '_menu' in '_menu.Open' gives the structure type '__menu', whose double underscore "
      "C++ reserves for the compiler and its library: it may clash with one of their names"}},
    {"windows macro", "ERROR=x\n",
     {"T.txt:1: warning: entry 'ERROR' is a macro of <windows.h> that becomes 0: where <windows.h> is included "
      "first, the header will not compile"}},
    {"windows A/W name", "Dlg.MessageBox=x\n",
     {"T.txt:1: warning: entry 'MessageBox' in 'Dlg.MessageBox' is a macro of <windows.h> that becomes MessageBoxW "
      "with UNICODE defined: where <windows.h> is included first, the member is renamed"}},
    {"dollar", "a$b=x\n",
     {"T.txt:1: warning: entry 'a$b' holds '$', which GCC, Clang and MSVC accept in identifiers only as an "
      "extension"}},
    // --- two members of one name, repeated names
    {"entry, then group of that name", "Menu=x\nTitle=t\nMenu.Open=y\n",
     {"T.txt:3: error: group 'Menu' clashes with the entry of line 1: the header declares two members named 'Menu' "
      "and will not compile"}},
    {"group, then entry of that name", "A.Menu.Open=y\nA.Menu=x\n",
     {"T.txt:2: error: entry 'A.Menu' clashes with the group of line 1: the header declares two members named 'Menu' "
      "and will not compile"}},
    {"repeated name", "A=1\nB=2\nA=3\nA=4\n",
     {"T.txt:3: warning: 'A' repeats the name of line 1: the generator keeps this later text and drops the text of "
      "line 1",
      "T.txt:4: warning: 'A' repeats the name of line 3: the generator keeps this later text and drops the text of "
      "line 3"}},
    {"a broken text that a later line replaces", "A=\"\nA=x\n",
     {"T.txt:1: warning: text of 'A' has an unescaped '\"' at character 1, which ends the literal early" + kSource +
          " (but line 2 defines it again, and the generator drops this text)",
      "T.txt:2: warning: 'A' repeats the name of line 1: the generator keeps this later text and drops the text of "
      "line 1"}},
    // --- texts that do not make the intended literal
    {"unescaped quotes", "Say=He said \"hi\"\n",
     {"T.txt:1: error: text of 'Say' has an unescaped '\"' at character 9, which ends the literal early" + kSource,
      "T.txt:1: error: text of 'Say' has an unescaped '\"' at character 12, which ends the literal early" + kSource}},
    {"escaped backslash before a quote", "Q=a\\\\\"\n",
     {"T.txt:1: error: text of 'Q' has an unescaped '\"' at character 4, which ends the literal early" + kSource}},
    {"backslash at the end", "Path=C:\\\n",
     {"T.txt:1: error: text of 'Path' ends in a backslash, which escapes the literal's closing quote" + kSource}},
    {"unknown escape", "A=a\\qb\n",
     {"T.txt:1: warning: text of 'A' has the unknown escape '\\q' at character 2: compilers warn and keep 'q' "
      "without the backslash"}},
    {"\\x without digits", "A=\\xg\n", {"T.txt:1: error: text of 'A' has '\\x' without hex digits at character 1" + kSource}},
    {"\\x too large", "A=ab\\x41BCD\n",
     {"T.txt:1: error: text of 'A' has '\\x41BCD' at character 3, too large for the 16-bit wchar_t of Windows: MSVC "
      "rejects the source (GCC and Clang accept it only where wchar_t has 32 bits)"}},
    {"backslash before a non-ASCII character", "A=\\\xC3\xA9\n",
     {"T.txt:1: error: text of 'A' has a backslash before the non-ASCII character U+00E9 at character 1, which is no "
      "escape" + kSource}},
    {"bidirectional control in a text", "A=x\xE2\x80\xAEy\n",
     {"T.txt:1: warning: text of 'A' has the invisible bidirectional control U+202E at character 2: it can make the "
      "text, and the code around it, read otherwise than it is (GCC warns with -Wbidi-chars); write it as \\u202E if "
      "it is meant"}},
    {"\\x swallowing text", "A=\\x41BC\n",
     {"T.txt:1: warning: text of 'A' has '\\x41BC' at character 1, read as the single unit U+41BC: \\x takes every "
      "hex digit that follows, so if fewer were meant the rest of them is lost from the text (\\u takes exactly 4)"}},
    {"incomplete \\u", "A=\\u12z\n",
     {"T.txt:1: error: text of 'A' has the incomplete '\\u12' at character 1 (\\u takes 4 hex digits, \\U 8)" + kSource}},
    {"\\u naming a surrogate", "A=\\uD800\n",
     {"T.txt:1: error: text of 'A' has '\\uD800' at character 1, which names no character" + kSource}},
    {"\\U beyond Unicode", "A=\\U00110000\n",
     {"T.txt:1: error: text of 'A' has '\\U00110000' at character 1, which names no character" + kSource}},
    {"zero unit before more text", "A=x\\0y\n",
     {"T.txt:1: warning: text of 'A' has '\\0' at character 2, which ends the string for the application: the text "
      "after it is never seen"}},
    {"literal too long for MSVC", "Long=" + std::string(8190, 'a') + "\n",
     {"T.txt:1: error: text of 'Long' makes a literal of 16382 bytes (UTF-16, terminator included), more than the "
      "16380 that MSVC accepts in one piece: MSVC stops with error C2026"}},
    {"lone CR cutting the line", "Title=Hello\rMenu.File=File\rMenu.Quit=Quit\r\n",
     {"T.txt:1: warning: text of 'Title' ends at a lone CR (U+000D) at character 6, and the generator ignores the "
      "rest of the line, 'Menu.File=File<U+000D>Menu.Quit=Quit': only LF or CR LF ends a line"}},
    // --- plural messages: groups of members named after plural categories
    {"plural categories without other", "Numbers.one=1\nNumbers.two=2\n",
     {"T.txt:1: warning: group 'Numbers' has only members named after plural categories (one, two) but no 'other', "
      "so it is no plural message: it is not completed to the six categories, which are filled from 'other'; add "
      "'Numbers.other', or rename a member if it is no plural message"}},
    {"form of another argument type", "Files.one=%s file\nFiles.other=%d files\n",
     {"T.txt:1: error: text of 'Files.one': the form takes argument 1 as char*, the 'other' form as int (line 2)" +
      kWrongArguments}},
    {"a later form replaces an earlier one", "F.other=%d files in %s\nF.one=one file in %s\nF.one=%d file in %s\n",
     {"T.txt:3: warning: 'F.one' repeats the name of line 2: the generator keeps this later text and drops the text "
      "of line 2"}},
    {"count left out, shifting", "F.other=%d files in %s\nF.one=one file in %s\n",
     {"T.txt:2: error: text of 'F.one': the form's printf directives take 1 argument, the 'other' form's 2 "
      "arguments (a form for a single count may leave out only the count, and only when it is the last argument and "
      "an integer: otherwise the arguments after it shift) (line 1)" + kWrongArguments}},
    {"count left out of a form for many counts", "F.few=files\nF.other=%d files\n",
     {"T.txt:1: error: text of 'F.few': the form's printf directives take 0 arguments, the 'other' form's 1 argument "
      "(line 2)" + kWrongArguments}},
    {"forms the project's languages need", "T=t\nFiles.one=%d file\nFiles.other=%d files\n",
     {"T.txt:2: warning: plural message 'Files' has no 'few' and 'many', forms that whole counts take in 'ru' "
      "(--languages): there those counts show the text of 'other'",
      "T.txt:2: warning: plural message 'Files' has no 'zero', 'two', 'few' and 'many', forms that whole counts take "
      "in 'ar' (--languages): there those counts show the text of 'other'",
      "T.txt:2: warning: plural message 'Files' has no 'few', a form that whole counts take in 'sr-Latn-RS' "
      "(--languages): there those counts show the text of 'other'"},
     {"en", "ru", "ar", "ja", "sr-Latn-RS"}},
    // --- a line the generator ignores
    {"definition without =", "Intro\nMenu.File\n",
     {"T.txt:2: warning: line holds '.' but no '=': the generator ignores it; if it is meant as a definition, it "
      "lacks its '='"}},
};

TEST(CheckFile, EachFindingKindPrintsItsLine) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.kind);
        EXPECT_EQ(PrintedLines(row.body, row.languages), row.printed);
    }
}

// Lines that look close to a finding but are sound.
TEST(CheckFile, SoundLinesPrintNothing) {
    const std::vector<std::string> sound = {
        "Title=Hello\n",
        "Menu.Sub.Open=Reopen\n",
        "Zeta=a=b\n",                                        // later "=" belong to the text
        "_menu=x\n",                                         // underscore and small letter: a fine member name
        "Menu.Files=x\n",                                    // a capitalised group: see the README
        "A=tab\\tquote\\\"q\\?\\'\\\\\\a\\b\\f\\n\\r\\v\n",  // every simple escape
        "A=\\101\\x41\\u3042\\U0001F600\\0\n",               // octal, 2-digit \x, UCNs, a final \0
        "A=C:\\\\dir\\\\file\n",                             // doubled backslashes
        "Long=" + std::string(8189, 'a') + "\n",             // 16380 bytes exactly
        "Version 1.2 of the file\n",                         // no "=", but spaces: prose
        "Intro\n\n",                                         // no "=", no "."
        "min=x\nmax=y\n",                                    // function-like macros do not expand here
        "t=x\nInitString=y\nTextResource=z\n",               // used by the generated code, no clash
        "\xE5\x90\x8D\xE5\x89\x8D=x\n\xC3\xA9t\xC3\xA9=y\n",      // identifier characters of Unicode (XID)
        "caf\\u00E9=x\nx\\U0001D400=y\n",                      // and as universal character names
        "Menu.S.x=y\nMenu.Open.z=1\n",                       // a nested group S with nothing after it
        Deep(255) + "=x\n",                                // 255 groups: Clang's 256 braces with TextResource
        "A=x\xE2\x80\x8D" "y\n",                             // a joiner in a text: emoji and scripts need it
        "F.one=one file\nF.other=%lu files\nF.few=%lu files\n", // the one form leaves out the count
        "F.one=%s: one file\nF.other=%s: %d files\n",        // the count last: nothing shifts
        "F.one=x\nF.two=y\nF.Sub.z=1\n",                     // a group with a subgroup is no plural message
        "one=x\ntwo=y\n",                                    // nor is TextResource itself
    };
    for (const std::string& body : sound) {
        SCOPED_TRACE(body.substr(0, 60));
        EXPECT_EQ(PrintedLines(body), std::vector<std::string>{});
    }
}

TEST(CheckFile, FindingsOfOneLineComeInOrderOfTheName) {
    // Group problems before entry problems before text problems.
    EXPECT_EQ(PrintedLines("1a.b c=\"\n"),
              (std::vector<std::string>{
                  "T.txt:1: error: group '1a' in '1a.b c' starts with a digit, so it is not a C++ identifier" + kHeader,
                  "T.txt:1: error: entry 'b c' in '1a.b c' holds a space (U+0020)" + kNameChar,
                  "T.txt:1: error: text of '1a.b c' has an unescaped '\"' at character 1, which ends the literal "
                  "early" + kSource,
              }));
}

TEST(CheckFile, AGroupIsJudgedWhereItFirstAppears) {
    EXPECT_EQ(PrintedLines("x.Open=1\nx.Close=2\nmy menu.a=3\nmy menu.b=4\n"),
              std::vector<std::string>{"T.txt:3: error: group 'my menu' in 'my menu.a' holds a space (U+0020)" +
                                       kNameChar});
}

TEST(CheckFile, LineNumbersCountDeliveredLines) {
    // CR LF and LF both end a line; a lone CR does not (it stays inside the
    // line, where it ends the text); blank lines count.
    const std::string body = "A=1\r\n\r\nB=2\rjunk\n\nS=3\n";
    EXPECT_EQ(PrintedLines(body),
              (std::vector<std::string>{"T.txt:3: warning: text of 'B' ends at a lone CR (U+000D) at character 2, and "
                                        "the generator ignores the rest of the line, 'junk': only LF or CR LF ends a "
                                        "line",
                                        "T.txt:5: error: entry 'S' hides the type S that the generated members are "
                                        "declared with" + kHeader}));
}

TEST(CheckFile, TextEndsWhereTheGeneratorEndsIt) {
    // The text stops at the lone CR and the line at U+0000: the quote after
    // either is never copied into the literal (only the CR's cut is told).
    EXPECT_EQ(PrintedLines("A=ok\r\"\nB=ok\0\"\n"s),
              std::vector<std::string>{"T.txt:1: warning: text of 'A' ends at a lone CR (U+000D) at character 3, and "
                                       "the generator ignores the rest of the line, '\"': only LF or CR LF ends a line"});
    // An "=" after U+0000 does not make a definition.
    EXPECT_EQ(PrintedLines("S\0=x\n"s), std::vector<std::string>{});
}

TEST(CheckFile, LiteralLengthCountsUtf16UnitsAfterEscapes) {
    // U+1F600 is two units, whether written as the character or as \U.
    const std::string emoji = "\xF0\x9F\x98\x80";
    std::string fits;
    for (int i = 0; i < 4094; ++i) fits += emoji;  // 8188 units + 1 + terminator = 16380 bytes
    EXPECT_EQ(PrintedLines("A=" + fits + "x\n"), std::vector<std::string>{});
    EXPECT_EQ(PrintedLines("A=" + fits + "\\U0001F600\n").size(), 1u);
    // Each escape is one unit however many characters spell it.
    std::string escapes;
    for (int i = 0; i < 8189; ++i) escapes += "\\x41";
    EXPECT_EQ(PrintedLines("A=" + escapes + "\n"), std::vector<std::string>{});
}

TEST(CheckFile, Utf16AndUtf8FilesGiveTheSameFindings) {
    const std::string body = "Title=Hello\r\nMenu.2nd=x\r\nTitle=Again\r\n";
    const std::u16string units = textresgen::test::UnitsFromUtf8(body);
    const std::vector<std::string> expected = {
        "T.txt:2: error: entry '2nd' in 'Menu.2nd' starts with a digit, so it is not a C++ identifier" + kHeader,
        "T.txt:3: warning: 'Title' repeats the name of line 1: the generator keeps this later text and drops the "
        "text of line 1"};
    EXPECT_EQ(PrintedLines(body), expected);
    for (const std::string& bytes : {textresgen::test::Utf16LeWithMark(units), textresgen::test::Utf16Le(units)}) {
        const FileCheck check = CheckDefinitionBytes(bytes);
        ASSERT_EQ(check.status, FileCheck::Status::Checked);
        std::vector<std::string> printed;
        for (const Diagnostic& f : check.findings) printed.push_back(testing::FormatFinding("T.txt", f));
        for (std::string& line : printed) line.pop_back();
        EXPECT_EQ(printed, expected);
    }
}

TEST(CheckFile, CountsErrorsAndWarnings) {
    const FileCheck check = CheckDefinitionBytes(std::string(testing::kUtf8Mark) + "S=1\nA=1\nA=2\nERROR=3\n2=\"\n");
    EXPECT_EQ(check.errors, 3u);    // S, 2, the quote
    EXPECT_EQ(check.warnings, 2u);  // repeat, ERROR
}

// The one format of every diagnostic of textrescheck and textresl10n, and
// the reporter's counts: errors and warnings, never notes.
TEST(CheckFile, DiagnosticsPrintAsFileLineColumnSeverity) {
    struct Case {
        const char* file;
        std::size_t line, column;
        Severity severity;
        const char* printed;
    };
    const Case cases[] = {
        {"T.txt", 0, 0, Severity::Error, "T.txt: error: m\n"},
        {"T.txt", 3, 0, Severity::Warning, "T.txt:3: warning: m\n"},
        {"T.txt", 3, 7, Severity::Note, "T.txt:3:7: note: m\n"},
        {"T.txt", 0, 7, Severity::Error, "T.txt: error: m\n"},  // no column without a line
        {"a\x1b.txt", 2, 0, Severity::Error, "a<U+001B>.txt:2: error: m\n"},
    };
    std::string all, expected;
    Reporter reporter([&](std::string_view text) { all += text; });
    for (const Case& c : cases) {
        Diagnostic diagnostic(c.line, "m", c.severity);
        diagnostic.column = c.column;
        diagnostic.file = c.file;
        EXPECT_EQ(FormatDiagnostic(diagnostic), c.printed);
        reporter.Report(diagnostic);
        expected += c.printed;
    }
    reporter.Flush();
    EXPECT_EQ(all, expected);
    EXPECT_EQ(reporter.Errors(), 3u);
    EXPECT_EQ(reporter.Warnings(), 1u);
}

TEST(CheckFile, AFloodingLineIsCutShortButCountedWhole) {
    const FileCheck check = CheckDefinitionBytes(std::string(testing::kUtf8Mark) + "A=" + std::string(25, '"') + "\n");
    EXPECT_EQ(check.errors, 25u);
    ASSERT_EQ(check.findings.size(), kFindingsShownPerLine + 1);
    EXPECT_EQ(testing::FormatFinding("T.txt", check.findings.back()),
              "T.txt:1: note: 15 more findings on this line are not shown (15 errors, 0 warnings)\n");

    // Defined again: the generator drops that text, and its errors, shown or
    // not, become warnings.
    const FileCheck replaced =
        CheckDefinitionBytes(std::string(testing::kUtf8Mark) + "A=" + std::string(25, '"') + "\nA=x\n");
    EXPECT_EQ(replaced.errors, 0u);
    EXPECT_EQ(replaced.warnings, 26u);
    EXPECT_EQ(testing::FormatFinding("T.txt", replaced.findings[kFindingsShownPerLine]),
              "T.txt:1: note: 15 more findings on this line are not shown (0 errors, 15 warnings)\n");
}

// Clang allows 256 levels of braces; TextResource takes one.
TEST(CheckFile, NestingBeyondClangsBracketDepth) {
    const std::vector<std::string> printed = PrintedLines(Deep(256) + "=x\n");
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].rfind("T.txt:1: error: group '", 0), 0u);
    EXPECT_NE(printed[0].find("' is nested 256 groups deep: with TextResource around it the header nests its braces "
                              "one level deeper than the 256 that Clang allows (-fbracket-depth): Clang rejects the "
                              "header"),
              std::string::npos);
}

TEST(CheckFile, BigEndianMarkIsRefused) {
    const FileCheck check = CheckDefinitionBytes("\xFE\xFF\0A\0=\0x"s);
    EXPECT_EQ(check.status, FileCheck::Status::Unreadable);
    EXPECT_EQ(check.problem,
              "starts with the UTF-16 big-endian mark FE FF, which the generator refuses: save it as UTF-16LE, or as "
              "UTF-8 with its mark");
}

}  // namespace
}  // namespace textrescheck

namespace textrescheck {
namespace {

using textresgen::test::FailingSource;
constexpr std::size_t kWhole = static_cast<std::size_t>(-1);

TEST(CheckFile, ReadErrorAtTheStartMakesTheFileUnreadable) {
    const FileCheck check = CheckDefinitionSource(std::make_unique<FailingSource>("", kWhole));
    EXPECT_EQ(check.status, FileCheck::Status::Unreadable);
    EXPECT_EQ(check.problem, "cannot be read: it is a folder, or reading it failed");
    EXPECT_EQ(CheckDefinitionSource(nullptr).problem, "cannot be opened: it is missing or not accessible");
}

TEST(CheckFile, ReadErrorPartWayKeepsWhatWasFoundAndSaysWhere) {
    const FileCheck check =
        CheckDefinitionSource(std::make_unique<FailingSource>(std::string(testing::kUtf8Mark) + "A=1\nS=2\n", kWhole));
    EXPECT_EQ(check.status, FileCheck::Status::ReadFailed);
    EXPECT_EQ(check.problem, "reading failed after line 2: the generator stops with ERR! and writes nothing");
    ASSERT_EQ(check.findings.size(), 1u);
    EXPECT_EQ(check.findings[0].line, 2u);
}

}  // namespace
}  // namespace textrescheck
