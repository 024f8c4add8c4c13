// The UTF-8 form of a loaded structure's texts (Loaded::Utf8()): wchar_t is
// UTF-16 on Windows and UTF-32 elsewhere. The run-time library may use
// nothing of lib/, so it encodes by itself (lib/text's AppendUtf8 is the
// same rule for the programs).
#include <cstring>
#include <memory>
#include <type_traits>

#include <textresgen/runtime.h>

namespace textresgen::detail {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The next scalar value of `text` at `*at`, which it moves past it. A lone
// surrogate, or a value that is no Unicode scalar value, gives U+FFFD.
char32_t NextScalar(const wchar_t*& at) {
    const char32_t unit = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(*at++));
    if (unit >= 0xD800 && unit <= 0xDBFF && sizeof(wchar_t) == 2) {
        const char32_t low = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(*at));
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++at;
            return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        return kReplacement;
    }
    if ((unit >= 0xD800 && unit <= 0xDFFF) || unit > 0x10FFFF) return kReplacement;
    return unit;
}

std::size_t Utf8Length(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

char* PutUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

const wchar_t* Member(const unsigned char* members, std::size_t i) {
    const wchar_t* member = nullptr;
    std::memcpy(&member, members + i * sizeof member, sizeof member);
    return member;
}

}  // namespace

std::unique_ptr<char[]> Utf8Copy(const unsigned char* members, std::size_t count, void (*construct)(void* where)) {
    // Measured first, so that one allocation holds it all.
    const std::size_t head = count * sizeof(const char*);
    std::size_t size = head;
    for (std::size_t i = 0; i < count; ++i) {
        for (const wchar_t* at = Member(members, i); *at != L'\0';) size += Utf8Length(NextScalar(at));
        ++size;
    }
    // new char[] is aligned for any object that fits, the structure too.
    std::unique_ptr<char[]> buffer(new char[size]);
    construct(buffer.get());
    char* out = buffer.get() + head;
    for (std::size_t i = 0; i < count; ++i) {
        const char* text = out;
        for (const wchar_t* at = Member(members, i); *at != L'\0';) out = PutUtf8(out, NextScalar(at));
        *out++ = '\0';
        std::memcpy(buffer.get() + i * sizeof text, &text, sizeof text);
    }
    return buffer;
}

}  // namespace textresgen::detail
