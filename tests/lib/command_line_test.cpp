// The command-line conventions of the six programs, run as real programs:
// --help and --version of all of them; unknown options, "--" before file
// names that start with '-', control characters in what they echo back for
// the companion tools (textresgen ignores every other argument); the one
// line and status when memory runs out. And the layout fingerprint, in
// process and through textresgen-layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/shown_text.h"
#include "layout/layout_stamp.h"
#include "support/fault_injection.h"
#include "support/process.h"
#include "support/sanitizers.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"


namespace textresgen::test {
namespace {

struct Tool {
    const char* name;
    const char* path;
};

const Tool kGenerator = {"textresgen", TEXTRESGEN_EXE};
const Tool kCheck = {"textrescheck", TEXTRESCHECK_EXE};
const Tool kUtf8 = {"textresgen-utf8", TEXTRESGEN_UTF8_EXE};
const Tool kL10n = {"textresl10n", TEXTRESL10N_EXE};
const Tool kLayout = {"textresgen-layout", TEXTRESGEN_LAYOUT_EXE};
const Tool kPlurals = {"textresgen-plurals", TEXTRESGEN_PLURALS_EXE};

struct Case {
    const char* what;
    const Tool* tool;  // nullptr: every companion tool
    std::vector<std::string> arguments;
    int status;
    std::string out;  // "{tool}" stands for the tool's name, "{version}" for the project version
    std::string err;
    bool outIsPrefix = false;
    const char* standardOutput = "";  // where standard output goes instead of being captured
};

const std::string kHint = "try '{tool} --help'\n";
const std::string kMissing = ": error: cannot be opened: it is missing or not accessible\n";

const Case kCases[] = {
    {"help", nullptr, {"--help"}, 0, "usage: {tool} ", "", true},
    {"help after an operand", nullptr, {"a.txt", "--help"}, 0, "usage: {tool} ", "", true},
    {"version", nullptr, {"--version"}, 0, "{tool} {version}\n", ""},
    {"unknown short option", nullptr, {"-x"}, 2, "", "{tool}: unknown option '-x'\n" + kHint},
    {"first unknown option wins over help", nullptr, {"--verbose", "--help"}, 2, "",
     "{tool}: unknown option '--verbose'\n" + kHint},
    {"control characters echoed escaped", nullptr, {"-\x1b[2J\x7f"}, 2, "",
     "{tool}: unknown option '-<U+001B>[2J<U+007F>'\n" + kHint},
#ifndef _WIN32  // Windows hands programs their arguments in its code page, where these bytes are lost
    {"C1 control and a byte that is not UTF-8", nullptr, {"-\xc2\x9b\xff\xe3\x81\x82"}, 2, "",
     "{tool}: unknown option '-<U+009B><FF>\xe3\x81\x82'\n" + kHint},
    {"bidirectional override, zero-width space and an invisible tag", nullptr,
     {"-a\xe2\x80\xaetxt.exe\xe2\x80\x8b\xf3\xa0\x81\x81"}, 2, "",
     "{tool}: unknown option '-a<U+202E>txt.exe<U+200B><U+E0041>'\n" + kHint},
#endif
    // The generator ignores every argument: it runs, and finds no TextResouce.txt.
    {"help ignored", &kGenerator, {"--help"}, 0, "ERR!", "", true},
    {"version ignored", &kGenerator, {"--version"}, 0, "ERR!", "", true},
    {"other arguments ignored", &kGenerator, {"-x"}, 0, "ERR!", "", true},
    {"file named -x after --", &kCheck, {"--", "-x"}, 0, "-x: 0 errors, 0 warnings\n", ""},
    {"--help after -- is a file", &kCheck, {"--", "--help"}, 2,
     "--help" + kMissing + "--help: 0 errors, 0 warnings, 1 not readable\n", ""},
    {"control character in a file name", &kCheck, {"--", "a\x1b.txt"}, 2,
     "a<U+001B>.txt" + kMissing + "a<U+001B>.txt: 0 errors, 0 warnings, 1 not readable\n", ""},
#ifdef __linux__
    {"standard output that cannot be written", &kL10n, {"--version"}, 1, "",
     "{tool}: standard output: error: cannot be written (a full disk, or a reader that went away)\n", false,
     "/dev/full"},
#endif
    {"one operand", &kUtf8, {"--", "-x"}, 2, "", "{tool}: expects two files, INPUT and OUTPUT\n" + kHint},
    {"one operand", &kLayout, {"--", "-x"}, 2, "", "{tool}: expects HEADER and OUTPUT_FOLDER\n" + kHint},
    {"one operand", &kPlurals, {"--", "-x"}, 2, "", "{tool}: expects INPUT and OUTPUT\n" + kHint},
};

std::string Expand(std::string text, const Tool& tool) {
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"{tool}", tool.name},
                                   std::pair<std::string, std::string>{"{version}", TEXTRESGEN_VERSION}}) {
        for (std::size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, from.size(), to);
    }
    return text;
}

// Windows' C runtime writes text streams with CR LF; the cases say LF.
std::string LfLineEnds(std::string text) {
#ifdef _WIN32
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
#endif
    return text;
}

TEST(CommandLine, ProgramsFollowTheConventions) {
    for (const Case& c : kCases) {
        for (const Tool* tool : {&kGenerator, &kCheck, &kUtf8, &kLayout, &kPlurals, &kL10n}) {
            if (c.tool != tool && (c.tool != nullptr || tool == &kGenerator)) continue;
            SCOPED_TRACE(std::string(tool->name) + ": " + c.what);
            TempDir dir;
            ASSERT_TRUE(WriteFileBytes(dir / "-x", "\xEF\xBB\xBFTitle=Hello\n"));  // a clean definition
            RunOptions options;
            options.arguments = c.arguments;
            options.workingDirectory = dir.Path();
            options.standardOutput = c.standardOutput;
            const RunResult result = RunProgram(tool->path, options);
            ASSERT_TRUE(result.started) << result.setupError;
            ASSERT_TRUE(result.exited);
            EXPECT_EQ(result.exitStatus, c.status);
            const std::string expectedOut = Expand(c.out, *tool);
            const std::string out = LfLineEnds(result.out);
            if (c.outIsPrefix)
                EXPECT_EQ(out.substr(0, expectedOut.size()), expectedOut) << out;
            else
                EXPECT_EQ(out, expectedOut);
            EXPECT_EQ(LfLineEnds(result.err), Expand(c.err, *tool));
        }
    }
}

TEST(CommandLine, ConverterWritesTheFileNamedAfterDoubleDash) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "-x", std::string("\xFF\xFE" "A\0", 4)));
    RunOptions options;
    options.arguments = {"--", "-x", "-y"};
    options.workingDirectory = dir.Path();
    const RunResult result = RunProgram(kUtf8.path, options);
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFileBytes(dir / "-y"), std::optional<std::string>("\xEF\xBB\xBF" "A"));

    // An input without a UTF-8 form (a lone surrogate) is refused, and the
    // output written before stays whole, with no temporary file left beside it.
    ASSERT_TRUE(WriteFileBytes(dir / "-x", std::string("\xFF\xFE" "A\0\x00\xD8", 6)));
    const RunResult refused = RunProgram(kUtf8.path, options);
    ASSERT_TRUE(refused.exited);
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(ReadFileBytes(dir / "-y"), std::optional<std::string>("\xEF\xBB\xBF" "A"));
    EXPECT_EQ(SortedFileNames(dir.Path()), (std::vector<std::string>{"-x", "-y"}));
}

#if defined(TEXTRESGEN_ALLOC_FAULT_SHIM) && !defined(TEXTRESGEN_TEST_SANITIZED)

// Each program with a file to read, one of its first allocations after it
// starts reading failing in turn: it either copes or ends with the one line
// "NAME: out of memory" and the documented status, never with an abort.
// (A sanitizer's allocator cannot be replaced this way.)
struct MemoryCase {
    const Tool* tool;
    std::vector<std::string> arguments;
    const char* input;  // written before the run; allocations count from its first read
    std::string bytes;
    int status;         // when memory runs out
};

TEST(CommandLine, EveryProgramEndsWithOneLineWhenMemoryRunsOut) {
    const std::string definition = Utf8WithMark("Menu.Open=Open %s\nMenu.Close=Close\nCount.one=one\nCount.other=%d\n");
    const std::string generated = Utf16LeWithMark(u"struct TextResource {\r\n\tconst wchar_t* Title;\r\n};\r\n");
    const MemoryCase cases[] = {
        {&kGenerator, {}, "TextResouce.txt", definition, 1},
        {&kCheck, {"in.txt"}, "in.txt", definition, 3},
        {&kL10n, {"export", "--base", "in.txt", "--lang", "ja", "-o", "out.po"}, "in.txt", definition, 3},
        {&kUtf8, {"textresouce.h", "out.h"}, "textresouce.h", generated, 3},
        {&kLayout, {"textresouce.h", "."}, "textresouce.h", generated, 3},
        {&kPlurals, {"in.txt", "out.txt"}, "in.txt", definition, 3},
    };
    for (const MemoryCase& c : cases) {
        int ranOutOfMemory = 0;
        for (int n = 1; n <= 30; ++n) {
            SCOPED_TRACE(std::string(c.tool->name) + ": allocation " + std::to_string(n) + " fails");
            TempDir dir;
            ASSERT_TRUE(WriteFileBytes(dir / c.input, c.bytes));
            RunOptions options;
            options.arguments = c.arguments;
            options.workingDirectory = dir.Path();
            options.environment = AllocationFaultInjection(
                {{"TEXTRESGEN_FAIL_MALLOC_FROM", c.input}, {"TEXTRESGEN_FAIL_MALLOC", std::to_string(n)}});
            const RunResult run = RunProgram(c.tool->path, options);
            ASSERT_TRUE(run.started) << run.setupError;
            ASSERT_TRUE(run.exited) << "ended by signal " << -run.exitStatus << "; stderr: " << run.err;
            if (run.err.find("out of memory") == std::string::npos) continue;
            ++ranOutOfMemory;
            const std::string line = std::string(c.tool->name) + ": out of memory\n";
            EXPECT_EQ(run.err, line);
            EXPECT_EQ(run.exitStatus, c.status);
            if (run.err != line || run.exitStatus != c.status) break;  // the same for the later allocations
        }
        EXPECT_GT(ranOutOfMemory, 0) << c.tool->name << ": the failures did not reach the program";
    }
}

#endif

// Names and texts in messages: up to 120 characters whole, a longer one as
// its first and last 60 around "[...]", a character never cut, the same
// for UTF-8 and UTF-16; a byte that is not UTF-8 counts as one character.
TEST(Quoted, ShortensLongTextsToTheirEnds) {
    const std::string x60(60, 'x'), smile = "\xF0\x9F\x98\x80", e = "\xC3\xA9";
    std::string e60;
    for (int i = 0; i < 60; ++i) e60 += e;
    const struct {
        std::string text;  // UTF-8
        std::string quoted;
        bool alsoUtf16;
    } cases[] = {
        {"a\x1b" "b", "'a<U+001B>b'", true},
        {x60 + x60, "'" + x60 + x60 + "'", true},
        {x60 + "y" + x60, "'" + x60 + "[...]" + x60 + "'", true},
        {std::string(59, 'a') + smile + "y" + x60, "'" + std::string(59, 'a') + smile + "[...]" + x60 + "'", true},
        {x60 + "y" + std::string(59, 'b') + smile, "'" + x60 + "[...]" + std::string(59, 'b') + smile + "'", true},
        {e60 + e60, "'" + e60 + e60 + "'", true},
        {e60 + e + e60, "'" + e60 + "[...]" + e60 + "'", true},
        {"\xFF" + std::string(119, 'x'), "'<FF>" + std::string(119, 'x') + "'", false},
        {"\xFF" + x60 + x60, "'<FF>" + std::string(59, 'x') + "[...]" + x60 + "'", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quoted);
        EXPECT_EQ(cli::Quoted(std::string_view(c.text)), c.quoted);
        if (c.alsoUtf16) {
            EXPECT_EQ(cli::Quoted(std::u16string_view(UnitsFromUtf8(c.text))), c.quoted);
        }
    }
}

// Header bytes and the FNV-1a hash of them, worked out apart from the code
// under test (the first three are the published FNV-1a 64 test vectors).
// Only bytes that start with the UTF-16LE mark are a header textresgen-layout
// stamps; it refuses the others, and leaves the files in the folder as they were.
struct FingerprintCase {
    std::string bytes;
    const char* hash;
    const char* refusal;  // nullptr: stamped
};

const std::string kMarkRefusal = "does not start with the UTF-16LE mark FF FE";
const FingerprintCase kFingerprints[] = {
    {"", "cbf29ce484222325", kMarkRefusal.c_str()},
    {"a", "af63dc4c8601ec8c", kMarkRefusal.c_str()},
    {"foobar", "85944171f73967e8", kMarkRefusal.c_str()},
    {"\xFE\xFF" + std::string("\0s", 2), "6e7c02708749e3e7", kMarkRefusal.c_str()},
    {"\xFF\xFE" "A", "f994d61be478d883", "ends in the middle of a UTF-16 unit"},
    {"\xFF\xFE", "0a99c807b6f645b0", nullptr},
    {Utf16LeWithMark(u"struct TextResource {\r\n"), "c1653e89aae70a24", nullptr},
};

TEST(LayoutStamp, FingerprintIsTheFnv1aOfTheHeaderBytes) {
    for (const FingerprintCase& c : kFingerprints) {
        SCOPED_TRACE(c.hash);
        LayoutHash hash;
        hash.Add(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size());
        const std::string fingerprint = std::string("textresgen-layout-1:") + c.hash;
        EXPECT_EQ(LayoutFingerprint(hash.Value()), fingerprint);

        TempDir dir;
        ASSERT_TRUE(WriteFileBytes(dir / "textresouce.h", c.bytes));
        ASSERT_TRUE(WriteFileBytes(dir / "textresouce_layout.cpp", "old"));
        RunOptions options;
        options.arguments = {"textresouce.h", "."};
        options.workingDirectory = dir.Path();
        const RunResult result = RunProgram(kLayout.path, options);
        ASSERT_TRUE(result.exited);
        const std::optional<std::string> source = ReadFileBytes(dir / "textresouce_layout.cpp");
        const std::optional<std::string> header = ReadFileBytes(dir / "textresouce_layout.h");
        if (c.refusal) {
            EXPECT_EQ(result.exitStatus, 1);
            EXPECT_NE(result.err.find(std::string("textresouce.h: error: ") + c.refusal),
                      std::string::npos)
                << result.err;
            EXPECT_EQ(source, std::optional<std::string>("old"));
            EXPECT_FALSE(header.has_value());
            continue;
        }
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(source, "// Written by textresgen-layout from textresouce.h: stamps this language library with "
                          "its layout.\nextern \"C\" __declspec(dllexport) const char* TextResGenLayout(void) { "
                          "return \"" + fingerprint + "\"; }\n");
        ASSERT_TRUE(header.has_value());
        EXPECT_NE(header->find("#include \"textresouce.h\"\n"), std::string::npos) << *header;
        EXPECT_NE(header->find("template <> struct LayoutOf<::TextResource> {\n"
                               "    static constexpr const char* kFingerprint = \"" + fingerprint + "\";\n"),
                  std::string::npos)
            << *header;
    }
}

}  // namespace
}  // namespace textresgen::test
