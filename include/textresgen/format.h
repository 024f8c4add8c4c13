// printf-style formatting of a text with typed arguments, the same on every
// platform. (A stand-in with the declarations the run-time library's
// messages are written against; the formatting's own implementation
// replaces it.)
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace textresgen {
namespace detail {

// One argument, its type kept.
class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Character, WideCharacter, Floating, Narrow, Wide, Pointer };

    FormatArg(int value) : kind_(Kind::Signed), signed_(value) {}
    FormatArg(long value) : kind_(Kind::Signed), signed_(value) {}
    FormatArg(long long value) : kind_(Kind::Signed), signed_(value) {}
    FormatArg(short value) : kind_(Kind::Signed), signed_(value) {}
    FormatArg(signed char value) : kind_(Kind::Signed), signed_(value) {}
    FormatArg(unsigned value) : kind_(Kind::Unsigned), unsigned_(value) {}
    FormatArg(unsigned long value) : kind_(Kind::Unsigned), unsigned_(value) {}
    FormatArg(unsigned long long value) : kind_(Kind::Unsigned), unsigned_(value) {}
    FormatArg(unsigned short value) : kind_(Kind::Unsigned), unsigned_(value) {}
    FormatArg(unsigned char value) : kind_(Kind::Unsigned), unsigned_(value) {}
    FormatArg(char value) : kind_(Kind::Character), signed_(value) {}
    FormatArg(wchar_t value) : kind_(Kind::WideCharacter), signed_(value) {}
    FormatArg(double value) : kind_(Kind::Floating), floating_(value) {}
    FormatArg(long double value) : kind_(Kind::Floating), floating_(value) {}
    FormatArg(const char* value) : kind_(Kind::Narrow), narrow_(value == nullptr ? "(null)" : value) {}
    FormatArg(std::string_view value) : kind_(Kind::Narrow), narrow_(value) {}
    FormatArg(const std::string& value) : kind_(Kind::Narrow), narrow_(value) {}
    FormatArg(const wchar_t* value) : kind_(Kind::Wide), wide_(value == nullptr ? L"(null)" : value) {}
    FormatArg(std::wstring_view value) : kind_(Kind::Wide), wide_(value) {}
    FormatArg(const std::wstring& value) : kind_(Kind::Wide), wide_(value) {}
    FormatArg(const void* value) : kind_(Kind::Pointer), pointer_(value) {}

    Kind kind() const { return kind_; }
    long long Signed() const { return signed_; }
    unsigned long long Unsigned() const { return unsigned_; }
    long double Floating() const { return floating_; }
    std::string_view Narrow() const { return narrow_; }
    std::wstring_view Wide() const { return wide_; }
    const void* Pointer() const { return pointer_; }

private:
    Kind kind_;
    long long signed_ = 0;
    unsigned long long unsigned_ = 0;
    long double floating_ = 0;
    std::string_view narrow_;
    std::wstring_view wide_;
    const void* pointer_ = nullptr;
};

std::wstring FormatArgs(const wchar_t* text, const FormatArg* args, std::size_t count);
std::string FormatArgsUtf8(const wchar_t* text, const FormatArg* args, std::size_t count);

// The argument types a text's directives take, joined by ','; "" for a text
// that takes none; '!' first for a text that is no valid format or holds %n.
std::string PrintfSignature(std::wstring_view text);

}  // namespace detail

template <class... Args>
std::wstring Format(const wchar_t* text, const Args&... args) {
    const detail::FormatArg list[] = {detail::FormatArg(args)..., detail::FormatArg(0)};
    return detail::FormatArgs(text, list, sizeof...(Args));
}

template <class... Args>
std::string FormatUtf8(const wchar_t* text, const Args&... args) {
    const detail::FormatArg list[] = {detail::FormatArg(args)..., detail::FormatArg(0)};
    return detail::FormatArgsUtf8(text, list, sizeof...(Args));
}

}  // namespace textresgen
