#include "l10n/xliff_bytes.h"

#include <algorithm>
#include <string>

#include "codec/literal_lexer.h"
#include "l10n/message_text.h"
#include "text/utf8_decoder.h"

namespace textresl10n::xliff {
namespace {

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// Why a reference (what stands between '&' and ';') is refused; empty
// when XML allows it.
std::string RefusedReference(std::string_view reference) {
    if (!reference.empty() && reference[0] == '#') {
        const bool hex = reference.size() > 1 && reference[1] == 'x';
        std::string_view digits = reference.substr(hex ? 2 : 1);
        bool ok = !digits.empty();
        while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);  // "&#000065;" is 'A'
        char32_t value = 0;
        ok = ok && digits.size() <= 8;
        for (const char c : digits) {
            const int d = textresgen::HexValue(static_cast<unsigned char>(c));
            if (d < 0 || (!hex && d > 9)) ok = false;
            else value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
        }
        if (!ok || !IsXmlChar(value))
            return "the character reference " + Quoted("&" + std::string(reference) + ";") +
                   " names no character XML allows";
        return {};
    }
    if (reference != "amp" && reference != "lt" && reference != "gt" && reference != "quot" && reference != "apos")
        return "the entity reference " + Quoted("&" + std::string(reference).substr(0, 30) + ";") +
               " is not one of XML's five; no DTD is read, so no other entity is ever defined";
    return {};
}

}  // namespace

namespace {

// The encoding the XML declaration names ("" for none): a byte that is not
// UTF-8 is most often a file saved in the encoding it declares.
std::string DeclaredEncoding(std::string_view bytes) {
    if (bytes.substr(0, 5) != "<?xml") return "";
    const std::string_view declaration = bytes.substr(0, std::min(bytes.find("?>"), std::size_t{200}));
    const std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) return "";
    const std::size_t open = declaration.find_first_of("\"'", at);
    if (open == std::string_view::npos) return "";
    const std::size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos) return "";
    return std::string(declaration.substr(open + 1, close - open - 1));
}

}  // namespace

bool CheckBytes(std::string_view bytes, ExchangeProblem& problem) {
    std::size_t line = 1;
    const auto fail = [&](std::string message) {
        problem.line = line;
        problem.message = std::move(message);
        return false;
    };
    std::string_view closing;  // what ends the comment, CDATA section or PI we are in
    char quote = 0;            // the quote of the attribute value we are in
    bool inTag = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\n') ++line;
        if (!closing.empty()) {
            if (bytes.substr(i, closing.size()) == closing) {
                i += closing.size();
                closing = {};
                continue;
            }
        } else if (inTag) {
            if (quote != 0 && byte == static_cast<unsigned char>(quote)) quote = 0;
            else if (quote == 0 && (byte == '"' || byte == '\'')) quote = static_cast<char>(byte);
            else if (quote == 0 && byte == '>') inTag = false;
        } else if (byte == '<') {
            const std::string_view rest = bytes.substr(i);
            if (rest.substr(0, 4) == "<!--") closing = "-->";
            else if (rest.substr(0, 9) == "<![CDATA[") closing = "]]>";
            else if (rest.substr(0, 2) == "<?") closing = "?>";
            else inTag = true;
            if (!closing.empty()) {
                i += closing == "]]>" ? 9 : closing == "-->" ? 4 : 2;
                continue;
            }
        }
        if (byte == '&' && closing.empty()) {
            std::size_t end = bytes.find(';', i);
            if (end == std::string_view::npos || end - i > 40) return fail("an '&' starts no reference ending in ';'");
            const std::string why = RefusedReference(bytes.substr(i + 1, end - i - 1));
            if (!why.empty()) return fail(why);
            i = end + 1;
            continue;
        }
        if (byte < 0x80) {
            if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
                return fail("the control character " + Quoted(std::string(1, static_cast<char>(byte))) +
                            " is not allowed in XML");
            ++i;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = textresgen::DecodeUtf8Step(bytes, i, c);
        if (length == 0) {
            std::string encoding = DeclaredEncoding(bytes), lower = encoding;
            for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            if (encoding.empty() || lower == "utf-8" || lower == "utf8") return fail("the file is not UTF-8 here");
            return fail("the file is not UTF-8 here: it declares the encoding " + Quoted(encoding) +
                        "; textresl10n reads XLIFF in UTF-8 (iconv -f " + textresgen::cli::Printable(encoding) +
                        " -t UTF-8 converts it; the declaration must then say UTF-8)");
        }
        if (!IsXmlChar(c)) return fail("a character XML does not allow (U+FFFE or U+FFFF)");
        i += length;
    }
    return true;
}

}  // namespace textresl10n::xliff
