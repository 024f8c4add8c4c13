// An MSVC-ABI translation unit that uses the run-time library's API, for
// ClangClHeadersTest.cmake: the installed headers, compiled by clang-cl.
// With WINDOWS_FIRST the program has included the whole <windows.h> itself
// before the run-time library.
#ifdef WINDOWS_FIRST
#include <windows.h>
#endif
#include <textresgen/runtime.h>

struct Texts {
    const wchar_t* Title;
};
template <>
struct textresgen::LayoutOf<Texts> {
    static constexpr const char* kFingerprint = "clang-cl";
};

bool UseTheRuntime() {
    textresgen::Catalog<Texts> catalog(textresgen::FolderOfThisProgram() / "languages", "app", "en");
    const auto texts = catalog.Load(textresgen::PreferredLanguages());
    return textresgen::IsLanguageTag("de-AT") && textresgen::Format(L"%d %s", 3, "x") == L"3 x" &&
           textresgen::PluralCategory("ru", 3) == "few" && texts->Get().Title != nullptr;
}
