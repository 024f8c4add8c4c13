#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "support/shared_library.h"

namespace textresgen::test {

// The code points of a wide string, a surrogate pair (16-bit wchar_t) as one.
std::u32string CodePoints(const wchar_t* text);

// How the project's compiler turns a generated pair into a library here.
struct ClientBuild {
    bool readsUtf16 = true;  // false: the sources are converted to UTF-8 first
    std::vector<std::string> arguments;
    std::string library;
};

// The build of this platform and compiler; false with the reason to skip
// when there is none (on Windows the client is built at build time).
bool PlatformBuild(ClientBuild& build, std::string& why);

// Compiles the pair that the generator wrote into `generated`, plus
// `extraSource` (UTF-16 units; empty for none) as probe.cpp, into a library
// in `client`, which is created. Fails the test when the compiler fails.
::testing::AssertionResult CompileClient(const ClientBuild& build, const std::filesystem::path& generated,
                                         const std::filesystem::path& client, std::u16string_view extraSource);

// Generates, compiles and loads the library of one definition file's bytes
// in a folder below `work`; null (with a failure or a skip recorded) when
// that fails. `why` tells a skip.
std::unique_ptr<SharedLibrary> BuildDefinitionLibrary(const std::filesystem::path& work, std::string_view definition,
                                                      std::string& why);

// Calls InitString of the library on a block of `count` pointers and
// returns the members' texts as code points, in member order.
::testing::AssertionResult ReadMembers(const SharedLibrary& library, std::size_t count,
                                       std::vector<std::u32string>& texts);

}  // namespace textresgen::test
