// textresgen::Format against glibc's swprintf where both are defined, and
// against the text it must give where printf's would be undefined (an
// argument that does not fit, a missing one, %n, an unknown directive, a
// huge width): there the directive stands as it was written.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cwchar>
#include <limits>
#include <string>
#include <vector>

#include <textresgen/format.h>

namespace textresgen {
namespace {

struct Row {
    int line;
    std::wstring got;
    std::wstring expected;
    bool fromPrintf;  // `expected` is swprintf's (glibc only)
};

#if defined(__GLIBC__)
template <class... Args>
std::wstring Printf(const wchar_t* text, Args... args) {
    std::wstring buffer(4096, L'\0');
    const int n = std::swprintf(buffer.data(), buffer.size(), text, args...);
    buffer.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    return n < 0 ? L"<swprintf failed>" : buffer;
}
// Defined for printf too: the same text as glibc's swprintf.
#define AS_PRINTF(...) Row{__LINE__, Format(__VA_ARGS__), Printf(__VA_ARGS__), true}
#else
// Elsewhere run (nothing may crash) but not compared: the C library differs.
#define AS_PRINTF(...) Row{__LINE__, Format(__VA_ARGS__), L"", true}
#endif
// Undefined for printf, or a meaning of our own: exactly `expected`.
#define GIVES(expected, ...) Row{__LINE__, Format(__VA_ARGS__), expected, false}

TEST(Format, DirectivesAndArguments) {
#if defined(__GLIBC__)
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);  // swprintf's %s reads UTF-8
#endif
    const int number = 42;
    const char* const null = nullptr;
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Row> rows = {
        // Integers: flags, width, precision, lengths, conversions.
        AS_PRINTF(L"%d %i %u %o %x %X", -42, 7, 42u, 8u, 255u, 255u),
        AS_PRINTF(L"[%5d] [%-5d] [%05d] [%+d] [% d] [%.3d] [%8.3d] [%-+6d]", 42, 42, -42, 42, 42, 7, -7, 3),
        AS_PRINTF(L"[%#o] [%#x] [%#X] [%#o] [%#x] [%.0d] [%#.0o] [%+.0d]", 8u, 255u, 255u, 0u, 0u, 0, 0u, 0),
        AS_PRINTF(L"%hhd %hhu %hd %hu %ld %lu %lld %llu", 300, 257, 70000, 65537, -5L, 5UL, -1LL, ~0ULL),
        AS_PRINTF(L"%jd %zu %td %jx", INTMAX_MIN, SIZE_MAX, PTRDIFF_MIN, UINTMAX_MAX),
        AS_PRINTF(L"%'d %0-4d|", 1234567, 5),
        // Any integral argument fits an integer directive, read as the length says.
        GIVES(L"-1 255 -1 4294967295 65", L"%d %hhu %hhd %u %d", -1LL, -1, 255ULL, -1LL, 'A'),
        // Floating point, every conversion.
        AS_PRINTF(L"%f %.2f %e %E %g %G %F", 3.14159, 2.5, 12345.678, 1e-300, 0.0001, 1e-10, 1.5),
        AS_PRINTF(L"[%10.3f] [%-10.1e] [%010.2f] [%+.3g] [% f] [%.0f] [%.0e]", 1234.5, 1.25, -3.5, 2.0, 1.0, 2.5, 3.5),
        AS_PRINTF(L"[%#.0f] [%#.0e] [%#g] [%#.3g] [%g] [%g] [%.10g] [%g]", 3.0, 3.0, 1.0, 100.0, 100000.0, 1e6, 1.0 / 3,
                  -0.0),
        AS_PRINTF(L"%a %A %.2a %#.0a %a", 1.0, -10.5, 3.0, 1.0, 0.0),
        AS_PRINTF(L"%f %F %e %G [%5f] [%-6F] [%+f] [%05f]", inf, -inf, inf, -inf, inf,
                  inf, inf, -inf),
        AS_PRINTF(L"%.3Lf %Le %.20f %.1f %.0f", 2.5L, -1e100L, 0.1, 0.25, 0.5),
        AS_PRINTF(L"%f %.40e", 1e308, 5e-324),
        // Characters and strings: %s UTF-8, %ls wide, width and precision in characters.
        AS_PRINTF(L"[%s] [%ls] [%5s] [%-5s] [%.2s] [%7.3ls] [%s]", "h\xC3\xA9llo", L"w\u00F6rld", "ab", "ab",
                  "h\xC3\xA9llo", L"\u00E9t\u00E9s", ""),
        AS_PRINTF(L"[%c] [%3c] [%-3c] [%lc] [%lc] [%2lc] %%", 'x', 'y', 'z', static_cast<wint_t>(L'\u00E9'),
                  static_cast<wint_t>(0x1F600), static_cast<wint_t>(L'a')),
        AS_PRINTF(L"%s \U0001F600 %ls", "\xF0\x9F\x98\x80", L"\U0001F600"),
        // Numbered arguments, reordered and repeated, '*' from arguments.
        AS_PRINTF(L"%2$ls \u306B %1$d \u4EF6\u306E\u30E1\u30E2\u3092\u4FDD\u5B58\u3057\u307E\u3057\u305F", 5,
                  L"notes.db"),
        AS_PRINTF(L"%3$s %1$d %2$s %1$d", 7, "b", "c"),
        AS_PRINTF(L"[%*d] [%-*d] [%.*f] [%*.*s] [%*d]", 5, 1, 4, 2, 2, 3.14159, 6, 2, "abcdef", -4, 9),
        AS_PRINTF(L"[%1$*2$d] [%3$.*4$f]", 7, 5, 2.5, 3),
        // The same message on every platform.
        GIVES(L"notes.db \u306B 5 \u4EF6\u306E\u30E1\u30E2\u3092\u4FDD\u5B58\u3057\u307E\u3057\u305F",
              L"%2$ls \u306B %1$d \u4EF6\u306E\u30E1\u30E2\u3092\u4FDD\u5B58\u3057\u307E\u3057\u305F", 5, L"notes.db"),
        GIVES(L"[a b] [\u00E9] [x]", L"[%s] [%ls] [%.1ls]", std::string("a b"), std::wstring(L"\u00E9"),
              std::wstring_view(L"xyz")),
        GIVES(L"0x1234 [    0x0]", L"%p [%7p]", reinterpret_cast<const void*>(std::uintptr_t{0x1234}), nullptr),
        // Invalid UTF-8 in %s and invalid code points in %lc become U+FFFD.
        GIVES(L"a\uFFFDb\uFFFDc\uFFFD \uFFFD \uFFFD", L"%s %lc %c", "a\xFF" "b\xC0\x80" "c\xE2\x82", 0xD800,
              '\xE9'),
        // An argument that does not fit, or none: the directive as written.
        GIVES(L"%s %d %ls %f %c %p", L"%s %d %ls %f %c %p", 5, "x", "narrow", 1, 2.0, 3),
        GIVES(L"%lc %s %*d", L"%lc %s %*d", 1.5, null, 2.5, 1),
        GIVES(L"1 %d %2$s", L"%d %d %2$s", 1),
        GIVES(L"7 %s 9", L"%d %s %d", 7, number, 9),  // the %s still takes its place
        // %n of any length writes nothing and shows itself.
        GIVES(L"a%nb%hhnc%lnd%3$n", L"a%nb%hhnc%lnd%3$n", &number, &number, &number),
        // Unknown and malformed directives; %S and %C are none (%ls, %lc).
        GIVES(L"%S %C %q %Lc %#d %+s %0$d 100% %", L"%S %C %q %Lc %#d %+s %0$d 100% %", L"w", L'c', 1, 2, 3, "s", 4),
        GIVES(L"100% sure 5", L"100% sure %d", 5),
        // Past the bound on widths and precisions: shown, nothing allocated.
        GIVES(L"%1048577d|%.99999999f|%*d|5", L"%1048577d|%.99999999f|%*d|%d", 1, 2.0, 1 << 30, 3, 5),
        GIVES(L"[" + std::wstring(1 << 20, L' ') + L"] %1d", L"[%1048576s] %1d", "", 7),
        GIVES(L"no arguments %d", L"no arguments %d"),
    };
    for (const Row& row : rows) {
#if !defined(__GLIBC__)
        if (row.fromPrintf) continue;
#endif
        EXPECT_EQ(row.got, row.expected) << "row at line " << row.line;
    }
}

TEST(Format, Utf8Result) {
    EXPECT_EQ(FormatUtf8(L"%2$ls \u306B %1$d", 5, L"notes.db"), "notes.db \xE3\x81\xAB 5");
    EXPECT_EQ(FormatUtf8(L"%s|%.1s|%lc|%ls", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9", L'\u00FC', L"\U0001F600"),
              "\xC3\xA9t\xC3\xA9|\xC3\xA9|\xC3\xBC|\xF0\x9F\x98\x80");
    // A lone surrogate in the text (UTF-16) or an invalid unit (UTF-32).
    const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
    EXPECT_EQ(FormatUtf8(lone), "a\xEF\xBF\xBD" "b");
}

// Two texts have one signature exactly when textrescheck takes the one as
// the other's translation on printf grounds.
TEST(Format, PrintfSignature) {
    using detail::PrintfSignature;
    EXPECT_EQ(PrintfSignature(L"no directives 100%%"), "");
    EXPECT_EQ(PrintfSignature(L"%d %s %ls %c %lc %p %f %Lg %zu %*.*d"),
              "int,char*,wchar_t*,int (a character),wint_t,void*,double,long double,size_t,int,int,int");
    EXPECT_EQ(PrintfSignature(L"%2$ls %1$i"), PrintfSignature(L"%d %ls"));
    EXPECT_EQ(PrintfSignature(L"%x %e"), PrintfSignature(L"%u %G"));
    EXPECT_NE(PrintfSignature(L"%d"), PrintfSignature(L"%ld"));
    EXPECT_NE(PrintfSignature(L"%s"), PrintfSignature(L"%ls"));
    EXPECT_NE(PrintfSignature(L"%S").find("write %ls"), std::string::npos) << PrintfSignature(L"%S");
    EXPECT_NE(PrintfSignature(L"%C").find("write %lc"), std::string::npos) << PrintfSignature(L"%C");
    for (const wchar_t* invalid : {L"%n", L"%S", L"%C", L"%1$d %s", L"%2$d", L"%q", L"%"})
        EXPECT_EQ(PrintfSignature(invalid).substr(0, 1), "!") << "for a text of " << std::wcslen(invalid) << " units";
}

}  // namespace
}  // namespace textresgen
