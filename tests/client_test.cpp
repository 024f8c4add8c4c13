// A real client of the generated pair: compiled by the compiler that builds
// this project into a dynamic library, loaded at run time, InitString called,
// every member's text compared by code point.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/program_folder.h"
#include "support/shared_library.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

// Nested groups, Japanese text and names, characters outside the BMP (U+1F600,
// U+20BB7), escapes that the C++ compiler reads because the definition file
// spells them so, an empty text.
const char kDefinitionUtf8[] =
    "; sample resources\r\n"
    "App.Title=テキスト資源\r\n"
    "App.Menu.File=ファイル(&F)\r\n"
    "App.Menu.Edit.Copy=コピー\r\n"
    "App.Menu.Edit.Paste=貼り付け\r\n"
    "画面.題名=タイトル\r\n"
    "Emoji=😀 と 𠮷\r\n"
    "Empty=\r\n"
    "Greeting=こんにちは、世界\r\n"
    "Quote=say \\\"hi\\\"\\t100%s\r\n";

// The members in declaration order: the entries of a structure by name,
// then its nested structures by name, depth first.
struct Member {
    const char* path;
    std::u32string text;
};
const Member kMembers[] = {
    {"Emoji", U"😀 と 𠮷"},
    {"Empty", U""},
    {"Greeting", U"こんにちは、世界"},
    {"Quote", U"say \"hi\"\t100%s"},
    {"App.Title", U"テキスト資源"},
    {"App.Menu.File", U"ファイル(&F)"},
    {"App.Menu.Edit.Copy", U"コピー"},
    {"App.Menu.Edit.Paste", U"貼り付け"},
    {"画面.題名", U"タイトル"},
};
constexpr std::size_t kMemberCount = sizeof kMembers / sizeof kMembers[0];

// A second translation unit of the library: the size of the structure, and
// a function without the export mark that must stay hidden.
const char16_t kProbeSource[] =
    u"#include \"textresouce.h\"\n"
    u"extern \"C\" __declspec(dllexport) unsigned long TextResourceSize() { return sizeof(TextResource); }\n"
    u"extern \"C\" int NotExported() { return 1; }\n";

std::u32string CodePoints(const wchar_t* text) {
    std::u32string points;
    for (; *text != L'\0'; ++text) {
        char32_t point = static_cast<char32_t>(*text);
        if (sizeof(wchar_t) == 2 && point >= 0xD800 && point <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (static_cast<char32_t>(text[1]) - 0xDC00);
            ++text;
        }
        points.push_back(point);
    }
    return points;
}

// How the project's compiler turns the generated pair into a library here.
struct ClientBuild {
    bool readsUtf16;  // false: the sources are converted to UTF-8 first
    std::vector<std::string> arguments;
    std::string library;
};

// The generated source declares InitString `__declspec(dllexport)`. On ELF
// and Mach-O that becomes default visibility, and everything else is hidden,
// so only what the generated code marks is exported.
bool PlatformBuild(ClientBuild& build, std::string& why) {
#ifdef _WIN32
    (void)build;
    why = "on Windows the client is built as a real DLL at build time: see Windows/WindowsClient";
    return false;
#else
    const std::string compiler = TEXTRESGEN_CXX_ID;
    build.library = "libtextresource.so";
    build.arguments = {"-std=c++17", "-shared", "-fPIC", "-fvisibility=hidden",
                       "-D__declspec(x)=__attribute__((visibility(\"default\")))"};
    if (compiler == "GNU") {
        // GCC converts the input itself; -ffreestanding keeps it from
        // including the (UTF-8) stdc-predef.h as if it were UTF-16 too.
        build.readsUtf16 = true;
        build.arguments.insert(build.arguments.end(), {"-ffreestanding", "-finput-charset=UTF-16LE"});
    } else if (compiler == "Clang" || compiler == "AppleClang") {
        build.readsUtf16 = false;  // Clang reads UTF-8 only
    } else {
        why = "no client build for the compiler " + compiler;
        return false;
    }
    build.arguments.insert(build.arguments.end(), {"textresouce.cpp", "probe.cpp", "-o", build.library});
    return true;
#endif
}

TEST(RealClient, CompiledLibraryGivesEveryText) {
    ClientBuild build;
    std::string why;
    if (!PlatformBuild(build, why)) GTEST_SKIP() << why;

    ProgramFolder folder;
    folder.Write(kDefinition, Utf8WithMark(kDefinitionUtf8));
    ASSERT_TRUE(Succeeded(folder.Run()));

    // The library is built from its own folder, holding the pair as
    // generated or converted to UTF-8, and the probe in the same encoding.
    const std::filesystem::path client = folder / "client";
    std::filesystem::create_directory(client);
    for (const char* name : {kSource, kHeader}) {
        const std::string bytes = folder.Read(name).value_or("");
        ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE") << name;
        ASSERT_TRUE(WriteFileBytes(client / name, build.readsUtf16 ? bytes : Utf8FromUnits(UnitsFromUtf16Le(bytes))));
    }
    ASSERT_TRUE(WriteFileBytes(client / "probe.cpp", build.readsUtf16 ? Utf16LeWithMark(kProbeSource)
                                                                        : Utf8FromUnits(kProbeSource)));
    RunOptions compile;
    compile.arguments = build.arguments;
    compile.workingDirectory = client;
    const RunResult compiled = RunProgram(TEXTRESGEN_CXX, compile);
    ASSERT_TRUE(compiled.started) << compiled.setupError;
    ASSERT_EQ(compiled.exitStatus, 0) << TEXTRESGEN_CXX << " failed:\n" << compiled.out << compiled.err;

    const SharedLibrary library(client / build.library);
    ASSERT_TRUE(library.Loaded()) << library.Error();
    EXPECT_EQ(library.Symbol("NotExported"), nullptr) << "unmarked functions are exported too: the check is void";
    using Size = unsigned long (*)();
    const auto size = reinterpret_cast<Size>(library.Symbol("TextResourceSize"));
    ASSERT_NE(size, nullptr) << "TextResourceSize not exported";
    EXPECT_EQ(size(), kMemberCount * sizeof(const wchar_t*));
    const void* init = library.Symbol("InitString");
    ASSERT_NE(init, nullptr) << "InitString not exported";

    // The structure holds only pointers, nested structures included: a
    // block of pointers in member order, with a guard on either side.
    const wchar_t kGuardText[] = L"guard";
    std::vector<const wchar_t*> block(kMemberCount + 2, kGuardText);
    using Init = void (*)(const wchar_t** members);
    reinterpret_cast<Init>(const_cast<void*>(init))(block.data() + 1);
    EXPECT_EQ(block.front(), kGuardText);
    EXPECT_EQ(block.back(), kGuardText);
    for (std::size_t i = 0; i < kMemberCount; ++i) {
        SCOPED_TRACE(kMembers[i].path);
        const wchar_t* text = block[i + 1];
        ASSERT_NE(text, nullptr);
        ASSERT_NE(text, kGuardText) << "member not assigned";
        EXPECT_EQ(CodePoints(text), kMembers[i].text);
    }
}

}  // namespace
}  // namespace textresgen::test
