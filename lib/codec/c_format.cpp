#include "codec/c_format.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace textresgen {
namespace {

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

enum class Length { None, hh, h, l, ll, j, z, t, L };

const char* LengthName(Length length) {
    switch (length) {
        case Length::hh: return "hh";
        case Length::h: return "h";
        case Length::l: return "l";
        case Length::ll: return "ll";
        case Length::j: return "j";
        case Length::z: return "z";
        case Length::t: return "t";
        case Length::L: return "L";
        case Length::None: break;
    }
    return "";
}

// The argument type of an integer conversion with a length modifier.
std::string IntegerType(Length length, bool isSigned) {
    switch (length) {
        case Length::hh: return isSigned ? "signed char" : "unsigned char";
        case Length::h: return isSigned ? "short" : "unsigned short";
        case Length::l: return isSigned ? "long" : "unsigned long";
        case Length::ll: return isSigned ? "long long" : "unsigned long long";
        case Length::j: return isSigned ? "intmax_t" : "uintmax_t";
        case Length::z: return isSigned ? "ssize_t" : "size_t";
        case Length::t: return isSigned ? "ptrdiff_t" : "unsigned ptrdiff_t";
        case Length::L: break;
        case Length::None: return isSigned ? "int" : "unsigned int";
    }
    return "";
}

class FormatParser {
public:
    explicit FormatParser(LiteralValuesView text) : text_(text) {}

    PrintfFormat Run() {
        while (i_ < text_.size()) {
            if (text_[i_] != U'%') {
                ++i_;
                continue;
            }
            start_ = i_;
            ++i_;
            ++result_.directives;
            if (!Directive()) {
                result_.valid = false;
                return std::move(result_);
            }
            result_.spans.emplace_back(start_, i_);
        }
        // Numbered arguments: no gaps, each number one type.
        if (numbered_ == Numbering::Numbered) {
            for (std::size_t n = 1; n <= byNumber_.size(); ++n) {
                const auto found = byNumber_.find(n);
                if (found == byNumber_.end()) {
                    result_.valid = false;
                    result_.problem = "argument " + std::to_string(n) + " is used by no directive, so its type is unknown";
                    return std::move(result_);
                }
                result_.arguments.push_back(found->second);
            }
            if (!byNumber_.empty() && byNumber_.rbegin()->first != byNumber_.size()) {
                result_.valid = false;
                result_.problem = "the numbered arguments leave a gap";
            }
        }
        return std::move(result_);
    }

private:
    enum class Numbering { Unknown, Numbered, Unnumbered };
    static constexpr std::size_t kArgumentZero = static_cast<std::size_t>(-1);

    bool Fail(const std::string& why) {
        result_.problem = "the directive at character " + std::to_string(start_ + 1) + " " + why;
        return false;
    }

    // Reads "m$" after digits; returns 0 when the digits are not followed by
    // '$', and kArgumentZero for "0$", which numbers no argument.
    std::size_t Number() {
        std::size_t n = 0;
        std::size_t j = i_;
        while (j < text_.size() && IsDigit(text_[j])) {
            if (n < 100000) n = n * 10 + static_cast<std::size_t>(text_[j] - U'0');
            ++j;
        }
        if (j == i_ || j >= text_.size() || text_[j] != U'$') return 0;
        i_ = j + 1;
        return n == 0 ? kArgumentZero : n;
    }

    bool Use(std::size_t number, const std::string& type) {
        if (number == kArgumentZero) return Fail("numbers argument 0, but printf counts arguments from 1");
        const Numbering kind = number == 0 ? Numbering::Unnumbered : Numbering::Numbered;
        if (numbered_ == Numbering::Unknown) numbered_ = kind;
        if (numbered_ != kind) return Fail("mixes numbered (%1$s) and unnumbered (%s) arguments");
        if (kind == Numbering::Unnumbered) {
            result_.arguments.push_back(type);
            return true;
        }
        if (number > 1000) return Fail("numbers an argument above 1000");
        const auto [at, inserted] = byNumber_.emplace(number, type);
        if (!inserted && at->second != type)
            return Fail("uses argument " + std::to_string(number) + " as " + type + " but another directive as " +
                        at->second);
        return true;
    }

    // A width or precision: digits, or '*' with its own argument.
    bool Amount() {
        if (i_ < text_.size() && text_[i_] == U'*') {
            ++i_;
            return Use(Number(), "int");
        }
        while (i_ < text_.size() && IsDigit(text_[i_])) ++i_;
        return true;
    }

    bool Directive() {
        if (i_ < text_.size() && text_[i_] == U'%') {
            ++i_;
            return true;
        }
        const std::size_t number = Number();
        bool plus = false, space = false, hash = false, zero = false;
        for (bool more = true; more && i_ < text_.size();) {
            switch (text_[i_]) {
                case U'-': break;
                case U'+': plus = true; break;
                case U' ': space = true; break;
                case U'#': hash = true; break;
                case U'0': zero = true; break;
                case U'\'': break;
                default: more = false; continue;
            }
            ++i_;
        }
        // Width and precision arguments come before the value's.
        if (!Amount()) return false;
        if (i_ < text_.size() && text_[i_] == U'.') {
            ++i_;
            if (!Amount()) return false;
        }
        Length length = Length::None;
        if (i_ < text_.size()) {
            const char32_t c = text_[i_];
            const char32_t next = i_ + 1 < text_.size() ? text_[i_ + 1] : 0;
            if (c == U'h') length = next == U'h' ? Length::hh : Length::h;
            else if (c == U'l') length = next == U'l' ? Length::ll : Length::l;
            else if (c == U'j') length = Length::j;
            else if (c == U'z') length = Length::z;
            else if (c == U't') length = Length::t;
            else if (c == U'L') length = Length::L;
            if (length != Length::None) i_ += (length == Length::hh || length == Length::ll) ? 2 : 1;
        }
        if (i_ == text_.size()) return Fail("is not terminated: a conversion letter is missing");
        const char32_t conversion = text_[i_++];
        const bool integerLength = length != Length::None && length != Length::L;
        std::string type;
        bool numeric = true;
        bool isSigned = false;
        switch (conversion) {
            case U'd': case U'i':
                if (length == Length::L) return Bad(conversion, length);
                type = IntegerType(length, true);
                isSigned = true;
                if (hash) return Fail("has the flag '#', which %d and %i do not take");
                break;
            case U'o': case U'u': case U'x': case U'X':
                if (length == Length::L) return Bad(conversion, length);
                type = IntegerType(length, false);
                if (hash && conversion == U'u') return Fail("has the flag '#', which %u does not take");
                break;
            case U'f': case U'F': case U'e': case U'E': case U'g': case U'G': case U'a': case U'A':
                if (integerLength && length != Length::l) return Bad(conversion, length);
                type = length == Length::L ? "long double" : "double";
                isSigned = true;
                break;
            case U'c':
                if (length != Length::None && length != Length::l) return Bad(conversion, length);
                type = length == Length::l ? "wint_t" : "int (a character)";
                numeric = false;
                break;
            case U'C':
                if (length != Length::None) return Bad(conversion, length);
                type = "wint_t";
                numeric = false;
                break;
            case U's':
                if (length != Length::None && length != Length::l) return Bad(conversion, length);
                type = length == Length::l ? "wchar_t*" : "char*";
                numeric = false;
                break;
            case U'S':
                if (length != Length::None) return Bad(conversion, length);
                type = "wchar_t*";
                numeric = false;
                break;
            case U'p':
                if (length != Length::None) return Bad(conversion, length);
                type = "void*";
                numeric = false;
                break;
            case U'n':
                return Fail("is %n, which writes to memory through an argument: never accepted in a text");
            default: {
                std::string shown;
                LiteralValues one(1, conversion);
                if (conversion < 0x20 || !ValuesToUtf8(one, shown)) shown = "?";
                return Fail("has no valid conversion ('" + shown + "' is none)");
            }
        }
        if (!numeric && (plus || space || hash || zero))
            return Fail("has a flag ('+', ' ', '#' or '0') that %" + std::string(1, static_cast<char>(conversion)) +
                        " does not take");
        if (!isSigned && (plus || space))
            return Fail("has the flag '+' or ' ', which unsigned conversions do not take");
        return Use(number, type);
    }

    bool Bad(char32_t conversion, Length length) {
        return Fail(std::string("has the length '") + LengthName(length) + "', which %" +
                    std::string(1, static_cast<char>(conversion)) + " does not take");
    }

    LiteralValuesView text_;
    std::size_t i_ = 0;
    std::size_t start_ = 0;
    Numbering numbered_ = Numbering::Unknown;
    std::map<std::size_t, std::string> byNumber_;
    PrintfFormat result_;
};

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
        while (j < text.size() && kInside.find(text[j]) != std::u32string_view::npos) star = star || text[j++] == U'*';
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

PrintfFormat ParsePrintfFormat(LiteralValuesView text) { return FormatParser(text).Run(); }

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
