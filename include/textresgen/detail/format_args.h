// Format and FormatUtf8: a loaded text's directives, read by the one printf
// grammar (printf_directive.h), filled from type-erased arguments without
// the C library's printf: integers by hand, floating point by std::to_chars
// (in the C locale by definition). A directive that cannot be filled safely
// is copied as it stands.
#pragma once
#include <textresgen/format.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <system_error>

#include <textresgen/detail/format_unicode.h>
#include <textresgen/detail/printf_directive.h>

namespace textresgen::detail {
namespace format_impl {

using printf_grammar::Amount;
using printf_grammar::ArgumentKind;
using printf_grammar::Directive;
using printf_grammar::Length;
using Kind = FormatArg::Kind;
namespace unicode = format_unicode;

// A width or precision above this, or the widths and precisions of one
// text together above it, and the directive is copied as it stands: a
// hostile translation cannot make the application allocate gigabytes.
inline constexpr std::size_t kMaxAmount = std::size_t{1} << 20;

// Where the result goes: std::wstring as it is, or UTF-8.
class WideOut {
public:
    explicit WideOut(std::wstring& out) : out_(out) {}
    void Reserve(std::size_t size) { out_.reserve(size); }
    // A wide argument's units: as they are.
    void WideText(const wchar_t* units, std::size_t count) { out_.append(units, count); }
    void Text(const wchar_t* units, std::size_t count) { out_.append(units, count); }
    void Ascii(const char* bytes, std::size_t count) {
        const std::size_t at = out_.size();
        out_.resize(at + count);
        for (std::size_t k = 0; k < count; ++k) out_[at + k] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[k]));
    }
    void Fill(char c, std::size_t count) { out_.append(count, static_cast<wchar_t>(c)); }
    void Put(char32_t c) { unicode::AppendWide(out_, c); }

private:
    std::wstring& out_;
};

class Utf8Out {
public:
    explicit Utf8Out(std::string& out) : out_(out) {}
    void Reserve(std::size_t size) { out_.reserve(size); }
    void WideText(const wchar_t* units, std::size_t count) { Text(units, count); }
    void Text(const wchar_t* units, std::size_t count) {
        for (std::size_t i = 0; i < count;) {
            if (static_cast<std::uint32_t>(units[i]) < 0x80) {
                out_ += static_cast<char>(units[i++]);
                continue;
            }
            unicode::AppendUtf8(out_, unicode::NextWide(units, count, i));
        }
    }
    void Ascii(const char* bytes, std::size_t count) { out_.append(bytes, count); }
    void Fill(char c, std::size_t count) { out_.append(count, c); }
    void Put(char32_t c) { unicode::AppendUtf8(out_, c); }

private:
    std::string& out_;
};

inline bool IsInteger(Kind kind) { return kind == Kind::Signed || kind == Kind::Unsigned || kind == Kind::Char || kind == Kind::WideChar; }

// An integer argument's bits, sign-extended from a signed type.
inline unsigned long long RawInteger(const FormatArg& arg) {
    return arg.kind() == Kind::Signed ? static_cast<unsigned long long>(arg.signedValue()) : arg.unsignedValue();
}

// The value as printf reads it through the length modifier: converted to
// that type (modulo its width), then as sign and magnitude.
inline void AsLength(unsigned long long raw, Length length, bool isSigned, bool& negative, unsigned long long& magnitude) {
    long long s = 0;
    unsigned long long u = 0;
    switch (length) {
        case Length::hh: s = static_cast<signed char>(raw), u = static_cast<unsigned char>(raw); break;
        case Length::h: s = static_cast<short>(raw), u = static_cast<unsigned short>(raw); break;
        case Length::None: case Length::L: s = static_cast<int>(raw), u = static_cast<unsigned int>(raw); break;
        case Length::l: s = static_cast<long>(raw), u = static_cast<unsigned long>(raw); break;
        case Length::ll: s = static_cast<long long>(raw), u = static_cast<unsigned long long>(raw); break;
        case Length::j: s = static_cast<std::intmax_t>(raw), u = static_cast<std::uintmax_t>(raw); break;
        case Length::z:
            s = static_cast<std::make_signed_t<std::size_t>>(raw), u = static_cast<std::size_t>(raw);
            break;
        case Length::t:
            s = static_cast<std::ptrdiff_t>(raw), u = static_cast<std::make_unsigned_t<std::ptrdiff_t>>(raw);
            break;
    }
    negative = isSigned && s < 0;
    magnitude = !isSigned ? u : negative ? 0 - static_cast<unsigned long long>(s) : static_cast<unsigned long long>(s);
}

template <class Out>
class Formatter {
public:
    Formatter(const FormatArg* args, std::size_t count, Out& out) : args_(args), count_(count), out_(out) {}

    void Run(const wchar_t* text) {
        if (text == nullptr) return;
        const std::size_t size = std::char_traits<wchar_t>::length(text);
        out_.Reserve(size + 32);  // one allocation for most messages
        std::size_t literal = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const wchar_t* percent = std::char_traits<wchar_t>::find(text + i, size - i, L'%');
            if (percent == nullptr) break;
            i = static_cast<std::size_t>(percent - text);
            out_.Text(text + literal, i - literal);
            const Directive d = printf_grammar::ParseDirective(text, size, i + 1);
            if (!Fill(d)) out_.Text(text + i, d.end - i);
            literal = d.end;
            i = d.end - 1;
        }
        out_.Text(text + literal, size - literal);
    }

private:
    // The argument a directive's number names, or the next one in order;
    // null when there is none.
    const FormatArg* Take(std::size_t number) {
        std::size_t index = 0;
        if (number == printf_grammar::kArgumentZero) return nullptr;
        if (number == 0) index = next_++;
        else index = number - 1;
        return index < count_ ? &args_[index] : nullptr;
    }

    // A '*' width or precision: an integer argument, as printf's int.
    static bool StarAmount(const FormatArg* arg, long long& value) {
        if (arg == nullptr || !IsInteger(arg->kind())) return false;
        value = static_cast<int>(RawInteger(*arg));
        return true;
    }

    bool Fill(const Directive& d) {
        if (d.percent) {
            out_.Ascii("%", 1);
            return true;
        }
        if (d.fault != printf_grammar::Fault::None) return false;
        // A directive takes its arguments' places even when it is shown as
        // its text, so the ones after it keep theirs.
        const bool starWidth = d.width.kind == Amount::Kind::Star;
        const bool starPrecision = d.precision.kind == Amount::Kind::Star;
        const FormatArg* widthArg = starWidth ? Take(d.width.number) : nullptr;
        const FormatArg* precisionArg = starPrecision ? Take(d.precision.number) : nullptr;
        const FormatArg* arg = Take(d.number);
        Field field{d};
        long long width = static_cast<long long>(d.width.value);
        if (starWidth && !StarAmount(widthArg, width)) return false;
        if (width < 0) {  // printf: a negative '*' width is the '-' flag
            field.minus = true;
            width = -width;
        }
        long long precision = d.precision.kind == Amount::Kind::None ? -1 : static_cast<long long>(d.precision.value);
        if (starPrecision && !StarAmount(precisionArg, precision)) return false;
        if (precision < 0) precision = -1;  // printf: a negative '*' precision is none
        const unsigned long long asked = static_cast<unsigned long long>(width) +
                                         static_cast<unsigned long long>(precision < 0 ? 0 : precision);
        if (arg == nullptr || asked > kMaxAmount - spent_) return false;
        spent_ += static_cast<std::size_t>(asked);
        field.width = static_cast<std::size_t>(width);
        field.precision = precision;
        switch (d.kind) {
            case ArgumentKind::Signed: case ArgumentKind::Unsigned: return Integer(field, *arg);
            case ArgumentKind::Floating: return Floating(field, *arg);
            case ArgumentKind::Character: return Character(field, *arg);
            case ArgumentKind::WideCharacter: return WideCharacter(field, *arg);
            case ArgumentKind::String: return String(field, *arg);
            case ArgumentKind::WideString: return WideString(field, *arg);
            case ArgumentKind::Pointer: return Pointer(field, *arg);
            case ArgumentKind::None: break;
        }
        return false;
    }

    struct Field {
        const Directive& d;
        bool minus = d.minus;
        std::size_t width = 0;
        long long precision = -1;  // -1: none
    };

    // `body` (prefix and digits, `lead` of them the sign and prefix) padded
    // to the width: spaces before or after, or zeros after the lead.
    void Padded(const Field& field, const char* body, std::size_t size, std::size_t lead, bool zeros) {
        const std::size_t pad = field.width > size ? field.width - size : 0;
        if (field.minus) {
            out_.Ascii(body, size);
            out_.Fill(' ', pad);
        } else if (zeros) {
            out_.Ascii(body, lead);
            out_.Fill('0', pad);
            out_.Ascii(body + lead, size - lead);
        } else {
            out_.Fill(' ', pad);
            out_.Ascii(body, size);
        }
    }

    // The digits of `value` (none for 0), written backwards before `end`.
    template <unsigned kBase>
    static char* Digits(unsigned long long value, char* end, const char* digitsOf) {
        for (; value != 0; value /= kBase) *--end = digitsOf[value % kBase];
        return end;
    }

    bool Integer(const Field& field, const FormatArg& arg) {
        if (!IsInteger(arg.kind())) return false;
        const Directive& d = field.d;
        bool negative = false;
        unsigned long long value = 0;
        AsLength(RawInteger(arg), d.length, d.kind == ArgumentKind::Signed, negative, value);
        const unsigned base = d.conversion == U'o' ? 8 : (d.conversion == U'x' || d.conversion == U'X') ? 16 : 10;
        char digits[24];
        char* const end = digits + sizeof digits;
        const std::size_t count = static_cast<std::size_t>(
            end - (base == 10   ? Digits<10>(value, end, "0123456789")
                   : base == 8  ? Digits<8>(value, end, "01234567")
                                : Digits<16>(value, end, d.conversion == U'X' ? "0123456789ABCDEF" : "0123456789abcdef")));
        const std::size_t precision = field.precision < 0 ? 1 : static_cast<std::size_t>(field.precision);
        std::size_t zeros = precision > count ? precision - count : 0;
        if (d.hash && base == 8 && zeros == 0) zeros = 1;  // the first digit a 0
        char lead[3];
        std::size_t leadSize = 0;
        if (negative) lead[leadSize++] = '-';
        else if (d.plus) lead[leadSize++] = '+';
        else if (d.space) lead[leadSize++] = ' ';
        if (d.hash && base == 16 && value != 0) {
            lead[leadSize++] = '0';
            lead[leadSize++] = static_cast<char>(d.conversion);
        }
        const std::size_t size = leadSize + zeros + count;
        const std::size_t pad = field.width > size ? field.width - size : 0;
        const bool zeroPad = d.zero && !field.minus && field.precision < 0;
        if (!field.minus && !zeroPad) out_.Fill(' ', pad);
        out_.Ascii(lead, leadSize);
        out_.Fill('0', zeros + (zeroPad ? pad : 0));
        out_.Ascii(digits + sizeof digits - count, count);
        if (field.minus) out_.Fill(' ', pad);
        return true;
    }

    bool Floating(const Field& field, const FormatArg& arg) {
        if (arg.kind() != Kind::Double && arg.kind() != Kind::LongDouble) return false;
        const Directive& d = field.d;
        const bool wide = d.length == Length::L;
        const long double value = arg.kind() == Kind::LongDouble ? arg.longDoubleValue() : arg.doubleValue();
        // The digits go to buffer + 3, leaving room before them for a sign and 0x.
        char small[128];
        std::unique_ptr<char[]> large;
        char* buffer = small;
        std::size_t capacity = sizeof small;
        std::to_chars_result made;
        bool hex = false;
        for (;;) {
            made = wide ? Chars(buffer + 3, buffer + capacity, value, d, field.precision, hex)
                        : Chars(buffer + 3, buffer + capacity, static_cast<double>(value), d, field.precision, hex);
            if (made.ec == std::errc()) break;
            if (large) return false;
            // Fixed notation of long double's largest values, 4,933 digits,
            // with the precision (at most kMaxAmount) after them.
            capacity = 4960 + static_cast<std::size_t>(field.precision < 0 ? 0 : field.precision);
            large.reset(new char[capacity]);
            buffer = large.get();
        }
        char* body = buffer + 3;
        std::size_t size = static_cast<std::size_t>(made.ptr - body);
        const bool negative = body[0] == '-';
        if (negative) ++body, --size;
        const bool finite = body[0] >= '0' && body[0] <= '9';
        const char sign = negative ? '-' : d.plus ? '+' : d.space ? ' ' : 0;
        std::size_t lead = 0;
        if (hex && finite) {
            *--body = static_cast<char>(d.conversion == U'A' ? 'X' : 'x');
            *--body = '0';
            size += 2;
            lead = 2;
        }
        if (sign != 0) {
            *--body = sign;
            ++size;
            ++lead;
        }
        if (d.conversion == U'F' || d.conversion == U'E' || d.conversion == U'G' || d.conversion == U'A')
            for (std::size_t k = 0; k < size; ++k)
                if (body[k] >= 'a' && body[k] <= 'z') body[k] = static_cast<char>(body[k] - 'a' + 'A');
        Padded(field, body, size, lead, d.zero && finite);
        return true;
    }

    // The digits of `value` as the conversion asks, alternative form ('#')
    // included; `hex` set for %a.
    template <class Float>
    static std::to_chars_result Chars(char* first, char* last, Float value, const Directive& d, long long precision,
                                      bool& hex) {
        const int p = precision < 0 ? 6 : static_cast<int>(precision);
        std::to_chars_result made{first, std::errc::value_too_large};
        switch (d.conversion) {
            case U'f': case U'F': made = std::to_chars(first, last, value, std::chars_format::fixed, p); break;
            case U'e': case U'E': made = std::to_chars(first, last, value, std::chars_format::scientific, p); break;
            case U'a': case U'A':
                hex = true;
                made = precision < 0 ? std::to_chars(first, last, value, std::chars_format::hex)
                                     : std::to_chars(first, last, value, std::chars_format::hex, p);
                break;
            default: return General(first, last, value, d.hash, p == 0 ? 1 : p);
        }
        if (made.ec == std::errc() && d.hash) made.ptr = WithPoint(first, made.ptr, last, hex);
        return made;
    }

    // %g: to_chars's general notation is it, but for '#', which keeps the
    // trailing zeros: then %e or %f by C's rule on the exponent X of
    // %.(P-1)e, fixed with P-1-X digits when P > X >= -4.
    template <class Float>
    static std::to_chars_result General(char* first, char* last, Float value, bool hash, int p) {
        if (!hash) return std::to_chars(first, last, value, std::chars_format::general, p);
        std::to_chars_result made = std::to_chars(first, last, value, std::chars_format::scientific, p - 1);
        if (made.ec != std::errc()) return made;
        const char* e = first;
        while (e < made.ptr && *e != 'e') ++e;
        if (e == made.ptr) return made;  // inf, nan
        int x = 0;
        std::from_chars(e + (e[1] == '+' ? 2 : 1), made.ptr, x);
        if (p > x && x >= -4) made = std::to_chars(first, last, value, std::chars_format::fixed, p - 1 - x);
        if (made.ec == std::errc()) made.ptr = WithPoint(first, made.ptr, last, false);
        return made;
    }

    // Alternative form: a decimal point even without digits after it.
    static char* WithPoint(char* first, char* end, char* last, bool hex) {
        char* at = first;
        while (at < end && *at != '.' && *at != (hex ? 'p' : 'e')) {
            if (*at == 'i' || *at == 'n') return end;  // inf, nan
            ++at;
        }
        if (at < end && *at == '.') return end;
        if (end == last) return end;
        std::memmove(at + 1, at, static_cast<std::size_t>(end - at));
        *at = '.';
        return end + 1;
    }

    // One character, padded.
    void One(const Field& field, char32_t c) {
        const std::size_t pad = field.width > 1 ? field.width - 1 : 0;
        if (!field.minus) out_.Fill(' ', pad);
        out_.Put(c);
        if (field.minus) out_.Fill(' ', pad);
    }

    // %c: a char, or an int as printf's unsigned char; a byte that is no
    // character of UTF-8 alone is U+FFFD.
    bool Character(const Field& field, const FormatArg& arg) {
        if (arg.kind() != Kind::Char && arg.kind() != Kind::Signed && arg.kind() != Kind::Unsigned) return false;
        const auto byte = static_cast<unsigned char>(RawInteger(arg));
        One(field, byte < 0x80 ? byte : unicode::kReplacement);
        return true;
    }

    // %lc: a wchar_t (a lone surrogate U+FFFD), a char, or an integer as a
    // code point.
    bool WideCharacter(const Field& field, const FormatArg& arg) {
        char32_t c = 0;
        switch (arg.kind()) {
            case Kind::WideChar: {
                const wchar_t unit = static_cast<wchar_t>(arg.unsignedValue());
                std::size_t i = 0;
                c = unicode::NextWide(&unit, 1, i);
                break;
            }
            case Kind::Char: c = arg.unsignedValue() < 0x80 ? static_cast<char32_t>(arg.unsignedValue()) : unicode::kReplacement; break;
            case Kind::Signed: case Kind::Unsigned: {
                const unsigned long long raw = RawInteger(arg);
                c = raw > 0x10FFFF || unicode::IsSurrogate(static_cast<char32_t>(raw)) ? unicode::kReplacement
                                                                                       : static_cast<char32_t>(raw);
                break;
            }
            default: return false;
        }
        One(field, c);
        return true;
    }

    // %s and %ls: at most `precision` characters, padded to the width in
    // characters. `next(i)` reads one character at i.
    template <class Unit, class Next>
    void Characters(const Field& field, const Unit* s, std::size_t size, Next next) {
        const std::size_t most = field.precision < 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(field.precision);
        std::size_t pad = 0;
        if (field.width > 0) {
            std::size_t count = 0;
            for (std::size_t i = 0; count < most && !unicode::AtEnd(s, size, i); ++count) next(i);
            pad = field.width > count ? field.width - count : 0;
        }
        if (!field.minus) out_.Fill(' ', pad);
        for (std::size_t i = 0, n = 0; n < most && !unicode::AtEnd(s, size, i); ++n) out_.Put(next(i));
        if (field.minus) out_.Fill(' ', pad);
    }

    bool String(const Field& field, const FormatArg& arg) {
        if (arg.kind() != Kind::String || arg.text() == nullptr) return false;
        const auto* s = static_cast<const unsigned char*>(arg.text());
        const std::size_t size = arg.textSize();
        Characters(field, s, size, [&](std::size_t& i) { return unicode::NextUtf8(s, size, i); });
        return true;
    }

    bool WideString(const Field& field, const FormatArg& arg) {
        if (arg.kind() != Kind::WideString || arg.text() == nullptr) return false;
        const auto* s = static_cast<const wchar_t*>(arg.text());
        const std::size_t size = arg.textSize();
        if (field.width == 0 && field.precision < 0) {
            out_.WideText(s, size == unicode::kToNul ? std::char_traits<wchar_t>::length(s) : size);
            return true;
        }
        Characters(field, s, size, [&](std::size_t& i) { return unicode::NextWide(s, size, i); });
        return true;
    }

    // %p: 0x and lower-case hexadecimal digits, on every platform.
    bool Pointer(const Field& field, const FormatArg& arg) {
        if (arg.kind() != Kind::Pointer) return false;
        char digits[2 + 2 * sizeof(std::uintptr_t)];
        std::size_t count = 0;
        auto value = reinterpret_cast<std::uintptr_t>(arg.pointer());
        do {
            digits[sizeof digits - ++count] = "0123456789abcdef"[value % 16];
            value /= 16;
        } while (value != 0);
        digits[sizeof digits - ++count] = 'x';
        digits[sizeof digits - ++count] = '0';
        Padded(field, digits + sizeof digits - count, count, 0, false);
        return true;
    }

    const FormatArg* args_;
    std::size_t count_;
    Out& out_;
    std::size_t next_ = 0;   // the next unnumbered argument
    std::size_t spent_ = 0;  // widths and precisions so far
};

}  // namespace format_impl
using namespace format_impl;

inline std::wstring FormatArgs(const wchar_t* text, const FormatArg* args, std::size_t count) {
    std::wstring result;
    WideOut out(result);
    Formatter<WideOut>(args, count, out).Run(text);
    return result;
}

inline std::string FormatArgsUtf8(const wchar_t* text, const FormatArg* args, std::size_t count) {
    std::string result;
    Utf8Out out(result);
    Formatter<Utf8Out>(args, count, out).Run(text);
    return result;
}

inline std::string PrintfSignature(std::wstring_view text) { return printf_grammar::Signature(text.data(), text.size()); }

}  // namespace textresgen::detail
