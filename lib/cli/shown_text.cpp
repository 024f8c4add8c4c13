#include "cli/shown_text.h"

#include <cstdio>

#include "charclass/character_classes.h"
#include "text/unicode.h"
#include "text/utf8_decoder.h"
#include "text/utf8_encoder.h"

namespace textresgen::cli {

std::string CodePointLabel(char32_t codePoint) {
    char label[16];
    std::snprintf(label, sizeof label, "U+%04X", static_cast<unsigned>(codePoint));
    return label;
}

void AppendShown(std::string& out, char32_t codePoint) {
    if (charclass::IsUnprintable(codePoint) || unicode::IsSurrogate(codePoint) || codePoint > unicode::kMaxCodePoint)
        out += "<" + CodePointLabel(codePoint) + ">";
    else
        AppendUtf8(out, codePoint);
}

void AppendPrintable(std::string& out, std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8Step(bytes, at, c);
        if (length == 0) {
            char label[8];
            std::snprintf(label, sizeof label, "<%02X>", static_cast<unsigned char>(bytes[at]));
            out += label;
            ++at;
        } else {
            AppendShown(out, c);
            at += length;
        }
    }
}

std::string Printable(std::string_view bytes) {
    std::string out;
    AppendPrintable(out, bytes);
    return out;
}

namespace {

// Where the first `count` code points end, at most units.size().
std::size_t SkipForward(std::u16string_view units, std::size_t count) {
    std::size_t i = 0;
    for (; i < units.size() && count > 0; --count) unicode::NextCodePoint(units, i);
    return i;
}

// Where the last `count` code points begin, never inside a surrogate pair.
std::size_t SkipBackward(std::u16string_view units, std::size_t count) {
    std::size_t i = units.size();
    for (; i > 0 && count > 0; --count) {
        --i;
        if (i > 0 && unicode::IsLowSurrogate(units[i]) && unicode::IsHighSurrogate(units[i - 1])) --i;
    }
    return i;
}

void AppendShownUnits(std::string& out, std::u16string_view units) {
    for (std::size_t i = 0; i < units.size();) AppendShown(out, unicode::NextCodePoint(units, i));
}

// One character of UTF-8 as AppendPrintable counts it: a byte that is not
// part of well-formed UTF-8 is one.
std::size_t Utf8CharacterLength(std::string_view bytes, std::size_t at) {
    char32_t c = 0;
    const std::size_t length = DecodeUtf8Step(bytes, at, c);
    return length == 0 ? 1 : length;
}

}  // namespace

std::string Quoted(std::u16string_view units) {
    const std::size_t headEnd = SkipForward(units, kQuotedEnds);
    const std::size_t tailStart = SkipBackward(units, kQuotedEnds);
    std::string out = "'";
    AppendShownUnits(out, units.substr(0, headEnd));
    if (tailStart > headEnd) out += "[...]";  // more than kQuotedEnds * 2 code points
    AppendShownUnits(out, units.substr(tailStart > headEnd ? tailStart : headEnd));
    return out + "'";
}

std::string Quoted(std::string_view utf8) {
    // The last kQuotedEnds + 1 character starts, in a ring: the tail's start
    // is known once the end is reached, with no list of every character.
    std::size_t starts[kQuotedEnds + 1] = {};
    std::size_t count = 0;
    std::size_t headEnd = 0;
    for (std::size_t at = 0; at < utf8.size(); at += Utf8CharacterLength(utf8, at)) {
        starts[count % (kQuotedEnds + 1)] = at;
        if (++count == kQuotedEnds) headEnd = at + Utf8CharacterLength(utf8, at);
    }
    std::string out = "'";
    if (count <= kQuotedEnds * 2) {
        AppendPrintable(out, utf8);
    } else {
        AppendPrintable(out, utf8.substr(0, headEnd));
        out += "[...]";
        AppendPrintable(out, utf8.substr(starts[(count - kQuotedEnds) % (kQuotedEnds + 1)]));
    }
    return out + "'";
}

}  // namespace textresgen::cli
