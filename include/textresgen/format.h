// Formatting a loaded text with its arguments, the same on every platform.
//
//   std::wstring shown = textresgen::Format(texts.Status.Saved, count, L"notes.db");
//   std::string utf8 = textresgen::FormatUtf8(texts.Status.Saved, count, L"notes.db");
//
// A translated text is no printf format string: it comes from a file that
// a translator wrote, and printf trusts its format. Format reads the
// directives textrescheck accepts (%N$ numbered ones too) and gives each
// the same meaning everywhere: %s a UTF-8 `const char*` (or std::string),
// %ls a `const wchar_t*` (or std::wstring), %c a char or int, %lc a wchar_t,
// integers of any integral type for %d %i %u %o %x %X, floating point for
// %f %F %e %E %g %G %a %A, any pointer for %p. A directive whose argument is
// missing or does not fit, %n, and a directive that is no valid one are
// shown as the directive's own text: nothing is ever read or written
// through them. Numbers are written without the C library's printf and
// locale. See docs/runtime.md, "Formatting".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace textresgen {
namespace detail {

// One argument of Format, its type erased. Holds pointers only: it lives
// no longer than the call it was made for.
class FormatArg {
public:
    enum class Kind : unsigned char {
        Signed,       // signed integers (signed char to long long)
        Unsigned,     // unsigned integers and bool, char16_t, char32_t
        Char,         // char
        WideChar,     // wchar_t
        Double,       // float, double
        LongDouble,   // long double
        String,       // const char* (UTF-8), std::string, std::string_view
        WideString,   // const wchar_t*, std::wstring, std::wstring_view
        Pointer,      // any other pointer
    };

    template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T> && !std::is_same_v<T, char> &&
                                            !std::is_same_v<T, wchar_t>,
                                        int> = 0>
    FormatArg(T value) : kind_(Kind::Signed), bytes_(sizeof(T)) {
        value_.s = value;
    }
    template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_signed_v<T> && !std::is_same_v<T, char> &&
                                            !std::is_same_v<T, wchar_t>,
                                        int> = 0>
    FormatArg(T value) : kind_(Kind::Unsigned), bytes_(sizeof(T)) {
        value_.u = value;
    }
    FormatArg(char c) : kind_(Kind::Char), bytes_(sizeof(char)) { value_.u = static_cast<unsigned char>(c); }
    FormatArg(wchar_t c) : kind_(Kind::WideChar), bytes_(sizeof(wchar_t)) {
        value_.u = static_cast<std::make_unsigned_t<wchar_t>>(c);
    }
    FormatArg(float value) : kind_(Kind::Double) { value_.d = value; }
    FormatArg(double value) : kind_(Kind::Double) { value_.d = value; }
    FormatArg(long double value) : kind_(Kind::LongDouble) { value_.ld = value; }
    FormatArg(const char* text) : kind_(Kind::String) { value_.text = {text, kToNul}; }
    FormatArg(const std::string& text) : kind_(Kind::String) { value_.text = {text.data(), text.size()}; }
    FormatArg(std::string_view text) : kind_(Kind::String) { value_.text = {text.data(), text.size()}; }
    FormatArg(const wchar_t* text) : kind_(Kind::WideString) { value_.text = {text, kToNul}; }
    FormatArg(const std::wstring& text) : kind_(Kind::WideString) { value_.text = {text.data(), text.size()}; }
    FormatArg(std::wstring_view text) : kind_(Kind::WideString) { value_.text = {text.data(), text.size()}; }
    template <class T, std::enable_if_t<!std::is_same_v<std::remove_cv_t<T>, char> &&
                                            !std::is_same_v<std::remove_cv_t<T>, wchar_t>,
                                        int> = 0>
    FormatArg(T* pointer) : kind_(Kind::Pointer) {
        value_.pointer = const_cast<const void*>(static_cast<const volatile void*>(pointer));
    }
    FormatArg(std::nullptr_t) : kind_(Kind::Pointer) { value_.pointer = nullptr; }

    // A text without a size runs to its NUL.
    static constexpr std::size_t kToNul = static_cast<std::size_t>(-1);

    Kind kind() const { return kind_; }
    // An integer's or a character's size in bytes (0 for the others).
    std::size_t bytes() const { return bytes_; }
    long long signedValue() const { return value_.s; }
    unsigned long long unsignedValue() const { return value_.u; }
    double doubleValue() const { return value_.d; }
    long double longDoubleValue() const { return value_.ld; }
    const void* pointer() const { return value_.pointer; }
    const void* text() const { return value_.text.data; }
    std::size_t textSize() const { return value_.text.size; }

private:
    struct Text {
        const void* data;
        std::size_t size;
    };
    union Value {
        long long s;
        unsigned long long u;
        double d;
        long double ld;
        const void* pointer;
        Text text;
    };
    Kind kind_;
    unsigned char bytes_ = 0;
    Value value_{};
};

std::wstring FormatArgs(const wchar_t* text, const FormatArg* args, std::size_t count);
std::string FormatArgsUtf8(const wchar_t* text, const FormatArg* args, std::size_t count);

// The argument types a text's directives take, in argument order, in the
// canonical names of the grammar joined by ',' ("int,wchar_t*"); "" for a
// text that takes none; a text that is no valid format (%n among them)
// gets "!" and the reason, never equal to a valid text's signature. Two
// valid texts have the same signature exactly when textrescheck accepts
// the one as the other's translation on printf grounds.
std::string PrintfSignature(std::wstring_view text);

}  // namespace detail

// `text` with its directives replaced by `args` (see the top of this file).
template <class... Args>
std::wstring Format(const wchar_t* text, const Args&... args) {
    if constexpr (sizeof...(Args) == 0) {
        return detail::FormatArgs(text, nullptr, 0);
    } else {
        const detail::FormatArg list[] = {detail::FormatArg(args)...};
        return detail::FormatArgs(text, list, sizeof...(Args));
    }
}

// Format's result in UTF-8 (a lone surrogate of the text as U+FFFD).
template <class... Args>
std::string FormatUtf8(const wchar_t* text, const Args&... args) {
    if constexpr (sizeof...(Args) == 0) {
        return detail::FormatArgsUtf8(text, nullptr, 0);
    } else {
        const detail::FormatArg list[] = {detail::FormatArg(args)...};
        return detail::FormatArgsUtf8(text, list, sizeof...(Args));
    }
}

}  // namespace textresgen

// The code of Format, in headers: the run-time library is header-only.
#include <textresgen/detail/format_args.h>
