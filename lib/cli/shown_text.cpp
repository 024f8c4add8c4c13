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

}  // namespace textresgen::cli
