#include "l10n/pseudo.h"

#include "codec/c_format.h"

namespace textresl10n {
namespace {

// Accented look-alikes of A..Z and a..z.
constexpr char32_t kUpper[26] = {U'Á', U'Ɓ', U'Ç', U'Đ', U'É', U'Ƒ', U'Ĝ', U'Ĥ', U'Í', U'Ĵ', U'Ķ', U'Ĺ', U'Ṁ',
                                 U'Ñ', U'Ó', U'Þ', U'Ǫ', U'Ŕ', U'Š', U'Ţ', U'Ú', U'Ṽ', U'Ŵ', U'Ẋ', U'Ý', U'Ž'};
constexpr char32_t kLower[26] = {U'á', U'ƀ', U'ç', U'đ', U'é', U'ƒ', U'ĝ', U'ĥ', U'í', U'ĵ', U'ķ', U'ĺ', U'ɱ',
                                 U'ñ', U'ó', U'þ', U'ǫ', U'ŕ', U'š', U'ţ', U'ú', U'ṽ', U'ŵ', U'ẋ', U'ý', U'ž'};

}  // namespace

textresgen::LiteralValues PseudoTranslate(textresgen::LiteralValuesView text) {
    const auto spans = textresgen::PlaceholderSpans(text);
    textresgen::LiteralValues out = U"[";
    std::size_t span = 0;
    for (std::size_t i = 0; i < text.size();) {
        while (span < spans.size() && spans[span].second <= i) ++span;
        if (span < spans.size() && spans[span].first <= i) {
            out.append(text.substr(i, spans[span].second - i));
            i = spans[span].second;
            continue;
        }
        const char32_t c = text[i++];
        if (c >= U'A' && c <= U'Z') out += kUpper[c - U'A'];
        else if (c >= U'a' && c <= U'z') out += kLower[c - U'a'];
        else out += c;
    }
    // About 40 % longer; short texts, whose translations grow most, more.
    const std::size_t length = text.size();
    const std::size_t extra = length <= 10 ? length / 2 + 3 : (length * 4 + 9) / 10;
    out += U' ';
    out.append(extra, U'~');
    out += U']';
    return out;
}

}  // namespace textresl10n
