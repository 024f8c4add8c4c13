// A real client of the generated pair: compiled by the compiler that builds
// this project into a dynamic library, loaded at run time, InitString called,
// every member's text compared by code point.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/client_library.h"
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
    ASSERT_TRUE(CompileClient(build, folder.Path(), client, kProbeSource));

    const SharedLibrary library(client / build.library);
    ASSERT_TRUE(library.Loaded()) << library.Error();
    EXPECT_EQ(library.Symbol("NotExported"), nullptr) << "unmarked functions are exported too: the check is void";
    using Size = unsigned long (*)();
    const auto size = reinterpret_cast<Size>(library.Symbol("TextResourceSize"));
    ASSERT_NE(size, nullptr) << "TextResourceSize not exported";
    EXPECT_EQ(size(), kMemberCount * sizeof(const wchar_t*));
    std::vector<std::u32string> texts;
    ASSERT_TRUE(ReadMembers(library, kMemberCount, texts));
    for (std::size_t i = 0; i < kMemberCount; ++i) {
        SCOPED_TRACE(kMembers[i].path);
        EXPECT_EQ(texts[i], kMembers[i].text);
    }
}

}  // namespace
}  // namespace textresgen::test
