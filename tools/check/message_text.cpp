#include "check/message_text.h"

#include "text/unicode.h"

namespace textrescheck {

using namespace textresgen::unicode;
namespace {

constexpr std::size_t kHeadShown = 40;  // code points kept before "[...]"
constexpr std::size_t kTailShown = 40;  // and after it

// Where the first `count` code points end, at most text.size().
std::size_t SkipForward(textresgen::WideStringView text, std::size_t count) {
    std::size_t i = 0;
    for (; i < text.size() && count > 0; --count) NextCodePoint(text, i);
    return i;
}

// Where the last `count` code points begin, never inside a surrogate pair.
std::size_t SkipBackward(textresgen::WideStringView text, std::size_t count) {
    std::size_t i = text.size();
    for (; i > 0 && count > 0; --count) {
        --i;
        if (i > 0 && IsLowSurrogate(text[i]) && IsHighSurrogate(text[i - 1])) --i;
    }
    return i;
}

}  // namespace

std::string Quoted(textresgen::WideStringView text) {
    // Only the ends are looked at, so quoting costs the same for any length.
    const std::size_t headEnd = SkipForward(text, kHeadShown);
    const std::size_t tailStart = SkipBackward(text, kTailShown);
    const bool shorten = tailStart > headEnd && SkipForward(text.substr(headEnd), 5) < tailStart - headEnd;
    std::string out = "'";
    const auto append = [&](textresgen::WideStringView part) {
        for (std::size_t i = 0; i < part.size();) AppendShown(out, NextCodePoint(part, i));
    };
    if (shorten) {
        append(text.substr(0, headEnd));
        out += "[...]";
        append(text.substr(tailStart));
    } else {
        append(text);
    }
    out += "'";
    return out;
}

}  // namespace textrescheck
