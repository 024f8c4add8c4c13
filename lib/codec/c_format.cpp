#include "codec/c_format.h"

#include <algorithm>
#include <iterator>

#include "runtime/printf_directive.h"

namespace textresgen {
namespace {

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

std::string Arguments(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " argument" : " arguments");
}

bool IsIntegerType(const std::string& type) {
    static const char* const kIntegers[] = {"int", "unsigned int", "long", "unsigned long", "long long",
                                           "unsigned long long", "short", "unsigned short", "signed char",
                                           "unsigned char", "intmax_t", "uintmax_t", "size_t", "ssize_t",
                                           "ptrdiff_t", "unsigned ptrdiff_t"};
    return std::find(std::begin(kIntegers), std::end(kIntegers), type) != std::end(kIntegers);
}

// How the problems name the two texts: "the translation" / "the base text".
struct Nouns {
    const char* compared;
    const char* reference;
};

std::vector<std::string> CompareTexts(LiteralValuesView base, LiteralValuesView translation, const Nouns& nouns,
                                      bool mayOmitCount) {
    const std::string compared = nouns.compared;
    const std::string reference = nouns.reference;
    std::vector<std::string> problems;
    const PrintfFormat expected = ParsePrintfFormat(base);
    if (expected.IsFormat()) {
        const PrintfFormat actual = ParsePrintfFormat(translation);
        const std::size_t taken = actual.arguments.size();
        const std::size_t wanted = expected.arguments.size();
        // The count left out: one argument fewer, the missing one the last and an integer.
        const bool countLeftOut = mayOmitCount && taken + 1 == wanted && IsIntegerType(expected.arguments.back());
        if (!actual.valid) {
            problems.push_back(compared + " is no valid printf format: " + actual.problem);
        } else if (taken != wanted && !countLeftOut) {
            std::string problem = compared + "'s printf directives take " + Arguments(taken) + ", " + reference +
                                  "'s " + Arguments(wanted);
            if (mayOmitCount && taken < wanted)
                problem += " (a form for a single count may leave out only the count, and only when it is the "
                           "last argument and an integer: otherwise the arguments after it shift)";
            problems.push_back(std::move(problem));
        } else {
            for (std::size_t k = 0; k < taken; ++k) {
                if (actual.arguments[k] != expected.arguments[k])
                    problems.push_back(compared + " takes argument " + std::to_string(k + 1) + " as " +
                                       actual.arguments[k] + ", " + reference + " as " + expected.arguments[k]);
            }
        }
    }
    const long expectedBrace = HighestBracePlaceholder(base);
    if (expectedBrace >= 0) {
        const long actualBrace = HighestBracePlaceholder(translation);
        if (mayOmitCount ? actualBrace > expectedBrace : actualBrace != expectedBrace) {
            problems.push_back(compared + "'s highest {n} placeholder is " +
                               (actualBrace < 0 ? std::string("absent") : "{" + std::to_string(actualBrace) + "}") +
                               ", " + reference + "'s {" + std::to_string(expectedBrace) + "}");
        }
    }
    return problems;
}

}  // namespace

PrintfFormat ParsePrintfFormat(LiteralValuesView text) {
    // A conversion that is none is shown as the character it is, in UTF-8.
    const auto show = [](char32_t conversion) {
        std::string shown;
        LiteralValues one(1, conversion);
        if (conversion < 0x20 || !ValuesToUtf8(one, shown)) shown = "?";
        return shown;
    };
    printf_grammar::TextFormat parsed = printf_grammar::ParseText(text.data(), text.size(), show);
    PrintfFormat format;
    format.valid = parsed.valid;
    format.problem = std::move(parsed.problem);
    format.directives = parsed.directives;
    format.arguments.assign(parsed.arguments.begin(), parsed.arguments.end());
    format.spans = std::move(parsed.spans);
    return format;
}

std::vector<BracePlaceholder> FindBracePlaceholders(LiteralValuesView text) {
    constexpr std::size_t kMaxDigits = 6;  // {n} beyond a million is no placeholder; n fits a long
    std::vector<BracePlaceholder> found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != U'{') continue;
        std::size_t j = i + 1;
        long n = 0;
        while (j < text.size() && IsDigit(text[j]) && j - i <= kMaxDigits)
            n = n * 10 + static_cast<long>(text[j++] - U'0');
        if (j > i + 1 && j < text.size() && text[j] == U'}') found.push_back({i, j + 1, n});
    }
    return found;
}

long HighestBracePlaceholder(LiteralValuesView text) {
    long highest = -1;
    for (const BracePlaceholder& p : FindBracePlaceholders(text)) highest = std::max(highest, p.number);
    return highest;
}

std::vector<std::pair<std::size_t, std::size_t>> PlaceholderSpans(LiteralValuesView text) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    PrintfFormat format = ParsePrintfFormat(text);
    if (format.IsFormat()) spans = std::move(format.spans);
    // No directive holds a brace, so the two kinds never overlap.
    for (const BracePlaceholder& p : FindBracePlaceholders(text)) spans.emplace_back(p.begin, p.end);
    std::sort(spans.begin(), spans.end());
    return spans;
}

std::vector<std::string> ComparePlaceholders(LiteralValuesView base, LiteralValuesView translation,
                                             bool mayOmitCount) {
    return CompareTexts(base, translation, {"the translation", "the base text"}, mayOmitCount);
}

std::vector<std::string> ComparePluralForm(LiteralValuesView reference, LiteralValuesView form, bool mayOmitCount) {
    return CompareTexts(reference, form, {"the form", "the 'other' form"}, mayOmitCount);
}

}  // namespace textresgen
