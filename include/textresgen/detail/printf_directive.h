// The grammar of printf directives, in one place: textrescheck and
// textresl10n judge a text with it (lib/codec's ParsePrintfFormat, on
// char32_t), the run-time library formats and signs a text with it
// (textresgen::Format and PrintfSignature, on wchar_t). Inline and
// templated on the code unit; the standard library alone.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace textresgen::printf_grammar {

enum class Length : unsigned char { None, hh, h, l, ll, j, z, t, L };

// What a directive's value argument is, by its conversion.
enum class ArgumentKind : unsigned char {
    None,        // "%%", or a directive that is no valid one
    Signed,      // d i
    Unsigned,    // o u x X
    Floating,    // f F e E g G a A
    Character,   // c
    WideCharacter,  // lc
    String,      // s
    WideString,  // ls
    Pointer,     // p
};

// Why a directive is no valid one (beyond what the whole text decides).
enum class Fault : unsigned char {
    None,
    Unterminated,     // the text ends before a conversion letter
    NoConversion,     // a character that is no conversion
    LengthMismatch,   // a length the conversion does not take
    HashOnSigned,     // '#' with d or i
    HashOnU,          // '#' with u
    FlagOnNonNumber,  // + space # 0 with c s p
    SignOnUnsigned,   // + or space with o u x X
    WritesMemory,     // %n
};

// "0$" numbers no argument; m$ above this is held at it.
inline constexpr std::size_t kArgumentZero = static_cast<std::size_t>(-1);
inline constexpr std::size_t kNumberCap = 100000;
// A width's or a precision's digits are held at this (far above what
// Format allows, so that a long run of digits stays too large).
inline constexpr std::size_t kAmountCap = 100000000;

// A width or a precision.
struct Amount {
    enum class Kind : unsigned char { None, Given, Star } kind = Kind::None;
    std::size_t value = 0;   // Given: the digits' value, held at kAmountCap
    std::size_t number = 0;  // Star: its m$ (0: unnumbered; kArgumentZero for 0$)
};

struct Directive {
    std::size_t end = 0;     // one past its last unit
    bool percent = false;    // "%%"
    std::size_t number = 0;  // m$ of the value (0: unnumbered; kArgumentZero for 0$)
    bool minus = false, plus = false, space = false, hash = false, zero = false;
    Amount width, precision;  // precision Given 0 for a '.' without digits
    Length length = Length::None;
    char32_t conversion = 0;
    ArgumentKind kind = ArgumentKind::None;
    const char* type = "";  // the value's argument type, in its canonical name
    Fault fault = Fault::None;
};

inline const char* LengthName(Length length) {
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

// The canonical names of the argument types (textrescheck's messages and
// the signatures use them): an integer conversion's by its length.
inline const char* IntegerType(Length length, bool isSigned) {
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
inline constexpr const char* kStarType = "int";

template <class Unit>
constexpr bool IsDigit(Unit c) {
    return c >= Unit('0') && c <= Unit('9');
}

// Reads "m$" at text[i]; returns 0 (i unchanged) when digits are not
// followed by '$', kArgumentZero for "0$".
template <class Unit>
std::size_t ReadNumber(const Unit* text, std::size_t size, std::size_t& i) {
    std::size_t n = 0;
    std::size_t j = i;
    while (j < size && IsDigit(text[j])) {
        if (n < kNumberCap) n = n * 10 + static_cast<std::size_t>(text[j] - Unit('0'));
        ++j;
    }
    if (j == i || j >= size || text[j] != Unit('$')) return 0;
    i = j + 1;
    return n == 0 ? kArgumentZero : n;
}

template <class Unit>
Amount ReadAmount(const Unit* text, std::size_t size, std::size_t& i) {
    Amount amount;
    if (i < size && text[i] == Unit('*')) {
        ++i;
        amount.kind = Amount::Kind::Star;
        amount.number = ReadNumber(text, size, i);
        return amount;
    }
    if (i < size && IsDigit(text[i])) amount.kind = Amount::Kind::Given;
    while (i < size && IsDigit(text[i])) {
        if (amount.value < kAmountCap) amount.value = amount.value * 10 + static_cast<std::size_t>(text[i] - Unit('0'));
        ++i;
    }
    return amount;
}

// The directive whose '%' is text[at - 1]: read up to its conversion letter
// and judged on its own. Whether its arguments' numbers fit the text's
// other directives is the caller's (ParseText's) question.
template <class Unit>
Directive ParseDirective(const Unit* text, std::size_t size, std::size_t at) {
    Directive d;
    std::size_t i = at;
    if (i < size && text[i] == Unit('%')) {
        d.percent = true;
        d.end = i + 1;
        return d;
    }
    d.number = ReadNumber(text, size, i);
    for (bool more = true; more && i < size;) {
        switch (text[i]) {
            case Unit('-'): d.minus = true; break;
            case Unit('+'): d.plus = true; break;
            case Unit(' '): d.space = true; break;
            case Unit('#'): d.hash = true; break;
            case Unit('0'): d.zero = true; break;
            case Unit('\''): break;
            default: more = false; continue;
        }
        ++i;
    }
    d.width = ReadAmount(text, size, i);
    if (i < size && text[i] == Unit('.')) {
        ++i;
        d.precision = ReadAmount(text, size, i);
        if (d.precision.kind == Amount::Kind::None) d.precision.kind = Amount::Kind::Given;  // "." alone: 0
    }
    if (i < size) {
        const Unit c = text[i];
        const Unit next = i + 1 < size ? text[i + 1] : Unit(0);
        if (c == Unit('h')) d.length = next == Unit('h') ? Length::hh : Length::h;
        else if (c == Unit('l')) d.length = next == Unit('l') ? Length::ll : Length::l;
        else if (c == Unit('j')) d.length = Length::j;
        else if (c == Unit('z')) d.length = Length::z;
        else if (c == Unit('t')) d.length = Length::t;
        else if (c == Unit('L')) d.length = Length::L;
        if (d.length != Length::None) i += (d.length == Length::hh || d.length == Length::ll) ? 2 : 1;
    }
    d.end = i;
    if (i >= size) {
        d.end = size;
        d.fault = Fault::Unterminated;
        return d;
    }
    d.conversion = static_cast<char32_t>(text[i]);
    d.end = i + 1;
    const Length length = d.length;
    const bool integerLength = length != Length::None && length != Length::L;
    bool numeric = true;
    bool isSigned = false;
    auto mismatch = [&d] {
        d.fault = Fault::LengthMismatch;
        return d;
    };
    switch (d.conversion) {
        case U'd': case U'i':
            if (length == Length::L) return mismatch();
            d.kind = ArgumentKind::Signed;
            d.type = IntegerType(length, true);
            isSigned = true;
            if (d.hash) d.fault = Fault::HashOnSigned;
            break;
        case U'o': case U'u': case U'x': case U'X':
            if (length == Length::L) return mismatch();
            d.kind = ArgumentKind::Unsigned;
            d.type = IntegerType(length, false);
            if (d.hash && d.conversion == U'u') d.fault = Fault::HashOnU;
            break;
        case U'f': case U'F': case U'e': case U'E': case U'g': case U'G': case U'a': case U'A':
            if (integerLength && length != Length::l) return mismatch();
            d.kind = ArgumentKind::Floating;
            d.type = length == Length::L ? "long double" : "double";
            isSigned = true;
            break;
        case U'c':
            if (length != Length::None && length != Length::l) return mismatch();
            d.kind = length == Length::l ? ArgumentKind::WideCharacter : ArgumentKind::Character;
            d.type = length == Length::l ? "wint_t" : "int (a character)";
            numeric = false;
            break;
        case U's':
            if (length != Length::None && length != Length::l) return mismatch();
            d.kind = length == Length::l ? ArgumentKind::WideString : ArgumentKind::String;
            d.type = length == Length::l ? "wchar_t*" : "char*";
            numeric = false;
            break;
        case U'p':
            if (length != Length::None) return mismatch();
            d.kind = ArgumentKind::Pointer;
            d.type = "void*";
            numeric = false;
            break;
        case U'n':
            d.fault = Fault::WritesMemory;
            return d;
        default:
            // Among them %S and %C: MSVC's wide printf reads %S as a narrow
            // string, glibc's as a wide one. %ls and %lc mean one thing.
            d.fault = Fault::NoConversion;
            return d;
    }
    if (d.fault != Fault::None) return d;
    if (!numeric && (d.plus || d.space || d.hash || d.zero)) d.fault = Fault::FlagOnNonNumber;
    else if (!isSigned && (d.plus || d.space)) d.fault = Fault::SignOnUnsigned;
    return d;
}

// What a directive's fault says, after "the directive at character N ".
// `shownConversion` is how the message shows a conversion that is none.
inline std::string FaultText(const Directive& d, const std::string& shownConversion) {
    const std::string conversion(1, static_cast<char>(d.conversion));
    switch (d.fault) {
        case Fault::Unterminated: return "is not terminated: a conversion letter is missing";
        case Fault::NoConversion:
            if (d.length == Length::None && (d.conversion == U'S' || d.conversion == U'C')) {
                const bool string = d.conversion == U'S';
                return std::string("is %") + conversion + ", which MSVC's wide printf reads as a narrow " +
                       (string ? "string" : "character") + " and glibc's as a wide one: write " +
                       (string ? "%ls" : "%lc") + ", which is wide everywhere";
            }
            return "has no valid conversion ('" + shownConversion + "' is none)";
        case Fault::LengthMismatch:
            return std::string("has the length '") + LengthName(d.length) + "', which %" + conversion + " does not take";
        case Fault::HashOnSigned: return "has the flag '#', which %d and %i do not take";
        case Fault::HashOnU: return "has the flag '#', which %u does not take";
        case Fault::FlagOnNonNumber:
            return "has a flag ('+', ' ', '#' or '0') that %" + conversion + " does not take";
        case Fault::SignOnUnsigned: return "has the flag '+' or ' ', which unsigned conversions do not take";
        case Fault::WritesMemory:
            return "is %n, which writes to memory through an argument: never accepted in a text";
        case Fault::None: break;
    }
    return "";
}

// What the directives of a whole text take (see lib/codec's PrintfFormat
// for the rules): the arguments' types in argument order, or why the text
// is no valid format.
struct TextFormat {
    bool valid = true;
    std::string problem;
    std::size_t directives = 0;
    std::vector<const char*> arguments;
    std::vector<std::pair<std::size_t, std::size_t>> spans;
};

// `show(c)` gives the UTF-8 text that names a conversion character that is none.
template <class Unit, class Show>
class TextParser {
public:
    TextParser(const Unit* text, std::size_t size, Show show) : text_(text), size_(size), show_(show) {}

    TextFormat Run() {
        std::size_t i = 0;
        while (i < size_) {
            if (text_[i] != Unit('%')) {
                ++i;
                continue;
            }
            start_ = i;
            ++result_.directives;
            const Directive d = ParseDirective(text_, size_, i + 1);
            if (!Judge(d)) {
                result_.valid = false;
                return std::move(result_);
            }
            i = d.end;
            result_.spans.emplace_back(start_, i);
        }
        if (numbering_ == Numbering::Numbered) {
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

    bool Fail(const std::string& why) {
        result_.problem = "the directive at character " + std::to_string(start_ + 1) + " " + why;
        return false;
    }

    // In the order printf reads them: the width's argument, the
    // precision's, the value's.
    bool Judge(const Directive& d) {
        if (d.percent) return true;
        if (d.width.kind == Amount::Kind::Star && !Use(d.width.number, kStarType)) return false;
        if (d.precision.kind == Amount::Kind::Star && !Use(d.precision.number, kStarType)) return false;
        if (d.fault != Fault::None)
            return Fail(FaultText(d, d.fault == Fault::NoConversion ? show_(d.conversion) : std::string()));
        return Use(d.number, d.type);
    }

    bool Use(std::size_t number, const char* type) {
        if (number == kArgumentZero) return Fail("numbers argument 0, but printf counts arguments from 1");
        const Numbering kind = number == 0 ? Numbering::Unnumbered : Numbering::Numbered;
        if (numbering_ == Numbering::Unknown) numbering_ = kind;
        if (numbering_ != kind) return Fail("mixes numbered (%1$s) and unnumbered (%s) arguments");
        if (kind == Numbering::Unnumbered) {
            result_.arguments.push_back(type);
            return true;
        }
        if (number > 1000) return Fail("numbers an argument above 1000");
        const auto [at, inserted] = byNumber_.emplace(number, type);
        if (!inserted && std::string(at->second) != type)
            return Fail("uses argument " + std::to_string(number) + " as " + type + " but another directive as " +
                        at->second);
        return true;
    }

    const Unit* text_;
    std::size_t size_;
    Show show_;
    std::size_t start_ = 0;
    Numbering numbering_ = Numbering::Unknown;
    std::map<std::size_t, const char*> byNumber_;
    TextFormat result_;
};

template <class Unit, class Show>
TextFormat ParseText(const Unit* text, std::size_t size, Show show) {
    return TextParser<Unit, Show>(text, size, show).Run();
}

// A conversion character that is none, as a message shows it without
// UTF-8: printable ASCII as itself, anything else as "?".
inline std::string ShownAscii(char32_t c) { return c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : "?"; }

// The signature of a text's printf arguments: their canonical type names
// in argument order joined by ',' ("int,wchar_t*"); "" when it takes none;
// "!" and the problem when it is no valid format (%n among them).
template <class Unit>
std::string Signature(const Unit* text, std::size_t size) {
    const TextFormat format = ParseText(text, size, ShownAscii);
    if (!format.valid) return "!" + format.problem;
    std::string signature;
    for (std::size_t k = 0; k < format.arguments.size(); ++k) {
        if (k > 0) signature += ',';
        signature += format.arguments[k];
    }
    return signature;
}

}  // namespace textresgen::printf_grammar
