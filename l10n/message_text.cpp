#include "l10n/message_text.h"

#include <cstdio>

#include "codec/literal_body.h"

namespace textresl10n {
namespace {

constexpr std::size_t kShownValues = 120;

std::string Label(const char* format, unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

bool IsControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFEFF;
}

// A value above U+10FFFF stands for a byte that is not UTF-8: 0x110000 + byte.
constexpr char32_t kStrayByte = 0x110000;

void AppendValue(std::string& out, char32_t c) {
    if (c >= kStrayByte) {
        out += Label("<%02X>", static_cast<unsigned>(c - kStrayByte));
        return;
    }
    if (IsControl(c)) {
        out += Label("<U+%04X>", static_cast<unsigned>(c));
        return;
    }
    std::string utf8;
    textresgen::ValuesToUtf8(textresgen::LiteralValues(1, c), utf8);
    out += utf8;
}

std::string QuoteValues(const std::u32string& values) {
    std::string out = "'";
    if (values.size() <= kShownValues) {
        for (const char32_t c : values) AppendValue(out, c);
    } else {
        for (std::size_t i = 0; i < kShownValues / 2; ++i) AppendValue(out, values[i]);
        out += "[...]";
        for (std::size_t i = values.size() - kShownValues / 2; i < values.size(); ++i) AppendValue(out, values[i]);
    }
    return out + "'";
}

}  // namespace

std::string Quoted(std::string_view utf8) {
    // Decodes leniently: a byte that starts no valid sequence is shown as <XX>.
    std::u32string values;
    for (std::size_t i = 0; i < utf8.size();) {
        textresgen::LiteralValues one;
        std::size_t bad = 0;
        std::size_t length = 1;
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead >= 0xF0) length = 4; else if (lead >= 0xE0) length = 3; else if (lead >= 0xC0) length = 2;
        if (i + length <= utf8.size() && textresgen::Utf8ToValues(utf8.substr(i, length), one, bad) && one.size() == 1) {
            values.push_back(one[0]);
            i += length;
        } else {
            values.push_back(kStrayByte + lead);
            ++i;
        }
    }
    return QuoteValues(values);
}

std::string Quoted(std::u16string_view units) {
    std::u32string values;
    for (std::size_t i = 0; i < units.size();) {
        char32_t c = units[i++];
        if (c >= 0xD800 && c <= 0xDBFF && i < units.size() && units[i] >= 0xDC00 && units[i] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i++] - 0xDC00);
        values.push_back(c);
    }
    return QuoteValues(values);
}

}  // namespace textresl10n
