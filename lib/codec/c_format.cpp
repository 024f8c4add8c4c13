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

// One '%' of a text as printf consumes it, whether or not it is a valid
// directive: printf reads "% s" as a string all the same. Not a grammar (a
// text is judged valid by ParsePrintfFormat alone): only which '%' make
// printf read an argument, and which write through one.
struct ConsumedDirective {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool takesArgument = false;  // a conversion or a '*' that reads an argument
    bool writes = false;         // %n, with any length modifier
};

// The '%' of `text` that make printf read or write an argument, in order.
std::vector<ConsumedDirective> ArgumentDirectives(LiteralValuesView text) {
    static const std::u32string_view kInside = U"0123456789$-+ #'*.hlLqjzt";
    static const std::u32string_view kConversions = U"diouxXeEfFgGaAcCsSpn";
    std::vector<ConsumedDirective> found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != U'%') continue;
        if (i + 1 < text.size() && text[i + 1] == U'%') {
            ++i;
            continue;
        }
        ConsumedDirective directive;
        directive.begin = i;
        std::size_t j = i + 1;
        bool star = false;
        for (; j < text.size() && kInside.find(text[j]) != std::u32string_view::npos; ++j) star = star || text[j] == U'*';
        const bool conversion = j < text.size() && kConversions.find(text[j]) != std::u32string_view::npos;
        directive.end = conversion ? j + 1 : j;
        directive.takesArgument = star || conversion;
        directive.writes = conversion && text[j] == U'n';
        if (directive.takesArgument) found.push_back(directive);
        i = directive.end - 1;
    }
    return found;
}

std::string Shown(LiteralValuesView text, const ConsumedDirective& directive) {
    std::string utf8;
    if (!ValuesToUtf8(text.substr(directive.begin, directive.end - directive.begin), utf8)) utf8 = "%";
    return "'" + utf8 + "' at character " + std::to_string(directive.begin + 1);
}

// A base text that is no format: a translation may not write through an
// argument (%n), and where the base holds no '%' at all (a text the
// application may pass to printf or Format with no argument), it may not
// make printf read one either. A base with a '%' that starts no valid
// directive ("50% off") is no format and cannot be used as one, so its
// translation may hold any other '%' ("50 % de réduction").
void CompareWithPlainText(LiteralValuesView base, LiteralValuesView translation, const std::string& compared,
                          const std::string& reference, std::vector<std::string>& problems) {
    const std::vector<ConsumedDirective> added = ArgumentDirectives(translation);
    for (const ConsumedDirective& directive : added) {
        if (directive.writes) {
            problems.push_back(compared + " holds %n (" + Shown(translation, directive) +
                               "), which writes to memory through an argument: never accepted in a text");
            return;
        }
    }
    if (base.find(U'%') == LiteralValuesView::npos && !added.empty())
        problems.push_back(compared + " has printf directives where " + reference + " has none (" +
                           Shown(translation, added.front()) +
                           "): printf would read an argument that is never passed (for a percent sign before a "
                           "word, put a no-break space U+00A0 after it)");
}

std::vector<std::string> CompareTexts(LiteralValuesView base, LiteralValuesView translation, const Nouns& nouns,
                                      bool mayOmitCount) {
    const std::string compared = nouns.compared;
    const std::string reference = nouns.reference;
    std::vector<std::string> problems;
    const PrintfFormat expected = ParsePrintfFormat(base);
    if (!expected.IsFormat()) CompareWithPlainText(base, translation, compared, reference, problems);
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
