#pragma once

#include <optional>
#include <string_view>

namespace textrescheck {

// Words that cannot name a member, by where they are reserved.
enum class ReservedWord {
    Keyword,       // a keyword of C++17, the alternative tokens (and, or, not, ...) included
    Cxx20Keyword,  // a keyword since C++20 (char8_t, concept, requires, co_await, ...)
    GnuKeyword,    // a keyword of GCC and Clang in GNU mode only (typeof)
    CompilerWord,  // a keyword, built-in or predefined macro of GCC or Clang (__int128, __FILE__, ...)
    MsvcWord,      // a keyword of MSVC (__int64, __declspec, ...)
    WindowsMacro,  // predefined by compilers for Windows (_WIN32, _MSC_VER, __MINGW32__, ...)
};

// What `name` is among the words above, or nothing. The implementation words
// are the ones tried against GCC 12 and Clang 14 (and MSVC's documented
// keywords); other reserved identifiers get only a warning, since every
// platform predefines macros of its own.
std::optional<ReservedWord> FindReservedWord(std::string_view name);

// True for Keyword and Cxx20Keyword.
bool IsCppKeyword(std::string_view name);

// An object-like macro that common headers define. Such a name, used as a
// member, is replaced by the preprocessor wherever that header is included
// before the generated one.
struct CommonMacro {
    std::string_view name;
    std::string_view header;     // where it comes from, e.g. "<windows.h>"
    std::string_view expansion;  // what it becomes, for the message
    bool renames;                // it becomes another identifier (A/W names)
    bool gnuMode = false;        // predefined by GCC and Clang in GNU mode, no header needed
};

// The macro of that exact name, or null. Function-like macros (min, max,
// assert) are left out on purpose: a member name is never followed by "(",
// so they do not expand in the generated code.
const CommonMacro* FindCommonMacro(std::string_view name);

}  // namespace textrescheck
