#pragma once

#include <string_view>

#include "codec/literal_body.h"
#include "text/utf16_writer.h"

// A definition file's line as textresl10n writes one, from UTF-8 texts.
namespace textresl10n {

// The characters of a UTF-8 text (texts are checked to be UTF-8 when read).
inline textresgen::LiteralValues Values(std::string_view utf8) {
    textresgen::LiteralValues values;
    std::size_t bad = 0;
    textresgen::Utf8ToValues(utf8, values, bad);
    return values;
}

// One line "key=body" of a definition file.
inline void PrintDefinition(textresgen::Utf16Writer& writer, std::string_view key, textresgen::LiteralValuesView text) {
    textresgen::LiteralValues name;
    std::size_t bad = 0;
    textresgen::Utf8ToValues(key, name, bad);
    writer.PrintText(textresgen::ValuesToUnits(name));
    writer.PrintText(u"=");
    writer.PrintLine(textresgen::EncodeLiteralBody(text));
}

}  // namespace textresl10n
