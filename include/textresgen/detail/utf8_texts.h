// The UTF-8 form of a loaded structure's texts (Loaded::Utf8()): wchar_t is
// UTF-16 on Windows and UTF-32 elsewhere. Read and written by the run-time
// library's own UTF-8 rules (format_unicode.h, which Format uses too): it
// may use nothing of lib/.
#pragma once
#include <cstring>
#include <memory>
#include <string>

#include <textresgen/runtime.h>

#include <textresgen/detail/format_unicode.h>

namespace textresgen::detail {
namespace utf8_texts_impl {

inline const wchar_t* Member(const unsigned char* members, std::size_t i) {
    const wchar_t* member = nullptr;
    std::memcpy(&member, members + i * sizeof member, sizeof member);
    return member;
}

}  // namespace utf8_texts_impl
using namespace utf8_texts_impl;

inline std::unique_ptr<char[]> Utf8Copy(const unsigned char* members, std::size_t count, void (*construct)(void* where)) {
    namespace fu = format_unicode;
    // The texts one after the other, each with its NUL; then one buffer
    // holds the structure (its pointers first) and them.
    std::string texts;
    std::unique_ptr<std::size_t[]> starts(new std::size_t[count]);
    for (std::size_t i = 0; i < count; ++i) {
        starts[i] = texts.size();
        const wchar_t* text = Member(members, i);
        for (std::size_t at = 0; text[at] != L'\0';) fu::AppendUtf8(texts, fu::NextWide(text, fu::kToNul, at));
        texts += '\0';
    }
    const std::size_t head = count * sizeof(const char*);
    // new char[] is aligned for any object that fits, the structure too.
    std::unique_ptr<char[]> buffer(new char[head + texts.size()]);
    construct(buffer.get());
    std::memcpy(buffer.get() + head, texts.data(), texts.size());
    for (std::size_t i = 0; i < count; ++i) {
        const char* text = buffer.get() + head + starts[i];
        std::memcpy(buffer.get() + i * sizeof text, &text, sizeof text);
    }
    return buffer;
}

}  // namespace textresgen::detail
