#include "l10n/message_text.h"

#include <vector>

#include "cli/shown_text.h"
#include "text/unicode.h"
#include "text/utf8_decoder.h"

namespace textresl10n {
namespace {

constexpr std::size_t kShownCharacters = 120;  // more, and the middle becomes "[...]"

// `starts` holds where each character begins, and the end of the text last;
// append(out, begin, end) shows the characters between two of them.
template <typename Append>
std::string QuoteCharacters(const std::vector<std::size_t>& starts, Append append) {
    const std::size_t count = starts.size() - 1;
    std::string out = "'";
    if (count <= kShownCharacters) {
        append(out, starts.front(), starts.back());
    } else {
        append(out, starts.front(), starts[kShownCharacters / 2]);
        out += "[...]";
        append(out, starts[count - kShownCharacters / 2], starts.back());
    }
    return out + "'";
}

}  // namespace

std::string Quoted(std::string_view utf8) {
    // A byte that is not part of well-formed UTF-8 counts as one character.
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t length = textresgen::DecodeUtf8Step(utf8, i, c);
        i += length == 0 ? 1 : length;
        starts.push_back(i);
    }
    return QuoteCharacters(starts, [&](std::string& out, std::size_t begin, std::size_t end) {
        textresgen::cli::AppendPrintable(out, utf8.substr(begin, end - begin));
    });
}

std::string Quoted(std::u16string_view units) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < units.size();) {
        textresgen::unicode::NextCodePoint(units, i);
        starts.push_back(i);
    }
    return QuoteCharacters(starts, [&](std::string& out, std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end;)
            textresgen::cli::AppendShown(out, textresgen::unicode::NextCodePoint(units, i));
    });
}

}  // namespace textresl10n
