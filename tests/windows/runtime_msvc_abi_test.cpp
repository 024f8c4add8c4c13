// The run-time library, built by MinGW, loads the language DLL that clang-cl
// built in the MSVC ABI through textresgen_add_library: the stamp matches the
// layout of the same definitions generated here, and the texts arrive.
#include <gtest/gtest.h>

#include <string>

#include <textresgen/runtime.h>

#include "textresouce.h"
#include "textresouce_layout.h"

namespace textresgen::test {
namespace {

TEST(WindowsRuntime, LoadsTheMsvcAbiDll) {
    const Catalog<TextResource> catalog(TEXTRESGEN_CLANG_CL_LANGUAGES, "clangcl", "en");
    const auto loaded = catalog.Load({"en-GB"});
    EXPECT_EQ(loaded->Language(), "en");
    EXPECT_TRUE(loaded->Refused().empty());
    EXPECT_EQ(std::wstring(loaded->Get().Title), L"Text resources");
    EXPECT_EQ(std::wstring(loaded->Get().Menu.Help.About.Version), L"1.0 \U00020BB7\u91CE\u5BB6");
}

}  // namespace
}  // namespace textresgen::test
