// The generated code as its users take it on Windows: the build turned
// client_definition.txt into DLLs with textresgen and the MinGW (or MSVC)
// compiler, and with clang-cl in the MSVC ABI; here each DLL is loaded,
// InitString called, and every member compared code unit by code unit
// (wchar_t is UTF-16 on Windows).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>


namespace textresgen::test {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t holds UTF-16 units on Windows");

struct Member {
    const char* path;
    std::u16string text;
};

// The members of TextResource for client_definition.txt, in declaration
// order, derived by hand: every structure lists its entries, then its
// groups, each in ascending UTF-16 code-unit order ("Tab" before "Title",
// "Menu" before the katakana group); a repeated name keeps its last text.
// The texts are what the compiler makes of the copied literals, so \" and \t
// are escapes.
const std::vector<Member>& ExpectedMembers() {
    static const std::vector<Member> members = {
        {"Greeting", u"こんにちは、世界"},
        {"Percent", u"100% sure"},
        {"Quote", u"He said \"はい\""},
        // U+20BB7 and U+1F600, each as its surrogate pair.
        {"Rare", {0xD842, 0xDFB7, u' ', u'a', u'n', u'd', u' ', 0xD83D, 0xDE00}},
        {"Tab", u"a\tb"},
        {"Title", u"Text resources"},
        {"Menu.Edit", u"編集"},
        {"Menu.File.Open", u"ファイルを開く"},
        {"Menu.File.Save", u"保存"},
        {"Menu.Help.About.Version", {u'1', u'.', u'0', u' ', 0xD842, 0xDFB7, u'野', u'家'}},
        {"メニュー.閉じる", u"閉じる"},
    };
    return members;
}

std::string Units(const std::u16string& text) {
    std::string out;
    char unit[8];
    for (char16_t c : text) {
        std::snprintf(unit, sizeof unit, "%s%04X", out.empty() ? "" : " ", static_cast<unsigned>(c));
        out += unit;
    }
    return out;
}

std::u16string UnitsOf(const wchar_t* text) {
    std::u16string units;
    for (; *text != L'\0'; ++text) units.push_back(static_cast<char16_t>(*text));
    return units;
}

class Library {
public:
    explicit Library(const wchar_t* path) : module_(LoadLibraryW(path)) {}
    ~Library() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

struct ClientDll {
    const char* name;
    const wchar_t* path;
};

void PrintTo(const ClientDll& dll, std::ostream* out) { *out << dll.name; }

class WindowsClient : public ::testing::TestWithParam<ClientDll> {};

TEST_P(WindowsClient, InitStringFillsEveryMemberInDeclarationOrder) {
    Library library(GetParam().path);
    ASSERT_NE(library.get(), nullptr) << "LoadLibraryW failed, error " << GetLastError();
    FARPROC exported = GetProcAddress(library.get(), "InitString");
    ASSERT_NE(exported, nullptr) << "the DLL exports no undecorated InitString";

    // TextResource holds only `const wchar_t*` members, so its layout is an
    // array of them. Slots past the expected count must stay untouched: a
    // structure with extra members would overwrite them.
    const std::vector<Member>& expected = ExpectedMembers();
    constexpr std::size_t kSpare = 4;
    const wchar_t* const untouched = L"untouched";
    std::vector<const wchar_t*> slots(expected.size() + kSpare, untouched);
    using InitString = void (*)(const wchar_t** structure);
    auto init = reinterpret_cast<InitString>(reinterpret_cast<void (*)()>(exported));
    init(slots.data());

    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].path);
        ASSERT_NE(slots[i], nullptr);
        ASSERT_NE(slots[i], untouched) << "member not assigned";
        EXPECT_EQ(Units(UnitsOf(slots[i])), Units(expected[i].text));
    }
    for (std::size_t i = expected.size(); i < slots.size(); ++i)
        EXPECT_EQ(slots[i], untouched) << "InitString wrote past the expected members, slot " << i;
}

// The DLL from textresgen_add_library, and, where the compiler reads the
// generator's UTF-16 output directly, the one built from it by hand. Then,
// where clang-cl is at hand, two in the MSVC ABI: from the UTF-8 copy of the
// pair by hand, and from a consumer project with the clang-cl toolchain.
const ClientDll kClientDlls[] = {
#ifdef TEXTRESGEN_CLIENT_DLL
    {"GeneratedPairAsIs", TEXTRESGEN_CLIENT_DLL},
#endif
    {"TextresgenAddLibrary", TEXTRESGEN_PACKAGE_DLL},
#ifdef TEXTRESGEN_CLANG_CL_DLL
    {"MsvcAbiClangClByHand", TEXTRESGEN_CLANG_CL_DLL},
    {"MsvcAbiClangClToolchain", TEXTRESGEN_CLANG_CL_PACKAGE_DLL},
#endif
};

INSTANTIATE_TEST_SUITE_P(Windows, WindowsClient, ::testing::ValuesIn(kClientDlls),
                         [](const ::testing::TestParamInfo<ClientDll>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace textresgen::test
