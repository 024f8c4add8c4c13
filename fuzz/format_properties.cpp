#include "fuzz/format_properties.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

#include <textresgen/format.h>
#include <textresgen/runtime.h>

#include "codec/c_format.h"

namespace textresgen::format_properties {
namespace {

using detail::FormatArg;

// Format's limit on widths and precisions, as docs/runtime.md states it.
constexpr std::size_t kMostPadding = std::size_t{1} << 20;
// The most characters one directive writes besides its padding and
// precision: long double's largest value in fixed notation has 4,933
// digits, double's 309.
constexpr std::size_t kLongDoubleDigits = 5000;
constexpr std::size_t kDoubleDigits = 400;
constexpr std::size_t kMostArguments = 7;

// Reads the input front to back; past its end every read gives zeros.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool AtEnd() const { return at_ >= bytes_.size(); }
    std::uint8_t Byte() { return AtEnd() ? 0 : static_cast<std::uint8_t>(bytes_[at_++]); }
    std::uint64_t Little(int count) {
        std::uint64_t value = 0;
        for (int k = 0; k < count; ++k) value |= std::uint64_t{Byte()} << (8 * k);
        return value;
    }
    std::string_view Bytes(std::size_t count) {
        const std::string_view piece = bytes_.substr(std::min(at_, bytes_.size()), count);
        at_ += piece.size();
        return piece;
    }
    std::string_view Rest() { return Bytes(bytes_.size()); }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

wchar_t Unit(std::uint32_t value) { return static_cast<wchar_t>(value); }

// The units of `bytes` (see the header for the escapes).
std::wstring Units(std::string_view bytes) {
    std::wstring units;
    Reader in(bytes);
    while (!in.AtEnd()) {
        const std::uint8_t b = in.Byte();
        if (b == 0xF0) {
            units += Unit(static_cast<std::uint32_t>(in.Little(2)));
        } else if (b == 0xF1) {
            units += Unit(static_cast<std::uint32_t>(in.Little(4)));
        } else if (b == 0xF2) {
            const auto c = static_cast<std::uint32_t>(in.Little(3));
            if (c >= 0x10000 && c <= 0x10FFFF) {
                units += Unit(0xD800 + ((c - 0x10000) >> 10));
                units += Unit(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                units += Unit(c);
            }
        } else {
            units += Unit(b);
        }
    }
    return units;
}

// The arguments an input asks for, with the texts they point to.
struct Arguments {
    std::vector<FormatArg> list;
    std::array<std::string, kMostArguments> narrow;
    std::array<std::wstring, kMostArguments> wide;
    std::size_t longestText = 0;  // in bytes or units
    bool longDouble = false;
};

void ReadArgument(Reader& in, Arguments& args) {
    const std::size_t k = args.list.size();
    const std::uint8_t kind = in.Byte() % 28;
    auto& list = args.list;
    if (kind <= 14) {
        const std::uint64_t v = in.Little(8);
        switch (kind) {
            case 0: list.emplace_back(static_cast<signed char>(v)); break;
            case 1: list.emplace_back(static_cast<unsigned char>(v)); break;
            case 2: list.emplace_back(static_cast<short>(v)); break;
            case 3: list.emplace_back(static_cast<unsigned short>(v)); break;
            case 4: list.emplace_back(static_cast<int>(v)); break;
            case 5: list.emplace_back(static_cast<unsigned>(v)); break;
            case 6: list.emplace_back(static_cast<long>(v)); break;
            case 7: list.emplace_back(static_cast<unsigned long>(v)); break;
            case 8: list.emplace_back(static_cast<long long>(v)); break;
            case 9: list.emplace_back(static_cast<unsigned long long>(v)); break;
            case 10: list.emplace_back(static_cast<char>(v)); break;
            case 11: list.emplace_back(Unit(static_cast<std::uint32_t>(v))); break;
            case 12: list.emplace_back((v & 1) != 0); break;
            case 13: list.emplace_back(static_cast<char16_t>(v)); break;
            default: list.emplace_back(static_cast<char32_t>(v)); break;
        }
        return;
    }
    switch (kind) {
        case 15: {
            const auto bits = static_cast<std::uint32_t>(in.Little(4));
            float f = 0;
            std::memcpy(&f, &bits, sizeof f);
            list.emplace_back(f);
            return;
        }
        case 16: case 17: {
            const std::uint64_t bits = in.Little(8);
            double d = 0;
            std::memcpy(&d, &bits, sizeof d);
            if (kind == 16) {
                list.emplace_back(d);
                return;
            }
            // A valid long double of any size: a double moved by a binary exponent.
            const auto shift = static_cast<std::int16_t>(in.Little(2));
            list.emplace_back(std::ldexp(static_cast<long double>(d), shift));
            args.longDouble = true;
            return;
        }
        case 18: case 19: case 20: {
            std::string& text = args.narrow[k];
            text = std::string(in.Bytes(in.Byte()));
            args.longestText = std::max(args.longestText, text.size());
            if (kind == 18) list.emplace_back(text.c_str());
            else if (kind == 19) list.emplace_back(text);
            else list.emplace_back(std::string_view(text));
            return;
        }
        case 21: case 22: case 23: {
            std::wstring& text = args.wide[k];
            text = Units(in.Bytes(in.Byte()));
            args.longestText = std::max(args.longestText, text.size());
            if (kind == 21) list.emplace_back(text.c_str());
            else if (kind == 22) list.emplace_back(text);
            else list.emplace_back(std::wstring_view(text));
            return;
        }
        case 24: list.emplace_back(static_cast<const char*>(nullptr)); return;
        case 25: list.emplace_back(static_cast<const wchar_t*>(nullptr)); return;
        case 26: list.emplace_back(nullptr); return;
        default:
            // Any other pointer: Format writes its value and never reads through it.
            list.emplace_back(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(in.Little(8))));
            return;
    }
}

// A wide text in UTF-8 as FormatUtf8 writes it (32-bit wchar_t): a unit
// that is no Unicode scalar value as U+FFFD.
std::string Utf8Of(const std::wstring& units) {
    std::string out;
    for (const wchar_t unit : units) {
        auto c = static_cast<std::uint32_t>(unit);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string CheckFormatted(const std::wstring& text, const Arguments& args) {
    const wchar_t* const units = text.c_str();  // Format reads to the first NUL
    const std::size_t length = std::wcslen(units);
    const std::size_t percents = static_cast<std::size_t>(std::count(units, units + length, L'%'));
    const std::size_t digits = args.longDouble ? kLongDoubleDigits : kDoubleDigits;
    const std::wstring wide = detail::FormatArgs(units, args.list.data(), args.list.size());
    const std::string utf8 = detail::FormatArgsUtf8(units, args.list.data(), args.list.size());
    if (wide.size() > length + percents * (args.longestText + digits) + kMostPadding)
        return "Format wrote " + std::to_string(wide.size()) + " units for a text of " + std::to_string(length);
    if (utf8.size() > 4 * length + percents * (4 * args.longestText + digits) + kMostPadding)
        return "FormatUtf8 wrote " + std::to_string(utf8.size()) + " bytes for a text of " + std::to_string(length);
    if constexpr (sizeof(wchar_t) == 4)
        if (utf8 != Utf8Of(wide)) return "FormatUtf8's result is not Format's in UTF-8";
    return "";
}

std::vector<std::string> Split(const std::string& signature) {
    std::vector<std::string> types;
    if (signature.empty()) return types;
    for (std::size_t at = 0;;) {
        const std::size_t comma = signature.find(',', at);
        types.push_back(signature.substr(at, comma - at));
        if (comma == std::string::npos) return types;
        at = comma + 1;
    }
}

// PrintfSignature against ParsePrintfFormat on the same text as char32_t.
std::string CheckSignature(const std::wstring& text) {
    const std::string signature = detail::PrintfSignature(text);
    if (detail::PrintfSignature(text) != signature) return "PrintfSignature gave two answers for one text";
    std::u32string values;
    std::u32string joined;  // surrogate pairs joined, as the tools decode a UTF-16 text
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<char32_t>(static_cast<std::uint32_t>(text[i]));
        values += c;
        const char32_t next = i + 1 < text.size() ? static_cast<char32_t>(static_cast<std::uint32_t>(text[i + 1])) : U'\0';
        if (c >= 0xD800 && c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            joined += static_cast<char32_t>(0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00));
            values += next;
            ++i;
        } else {
            joined += c;
        }
    }
    for (const std::u32string* form : {&values, &joined}) {
        const PrintfFormat parsed = ParsePrintfFormat(*form);
        const bool refused = !signature.empty() && signature[0] == '!';
        if (refused != !parsed.valid)
            return "PrintfSignature \"" + signature + "\" but ParsePrintfFormat finds the text " +
                   (parsed.valid ? "valid" : "invalid: " + parsed.problem);
        if (!refused && Split(signature) != parsed.arguments)
            return "PrintfSignature \"" + signature + "\" lists other arguments than ParsePrintfFormat";
    }
    return "";
}

// A harmless value of the type a signature names (`k` the argument's
// place): small integers, so that '*' widths stay small, and texts and
// characters without a '%'; texts by pointer or with their size, in turn.
bool ArgumentOf(const std::string& type, std::size_t k, std::vector<FormatArg>& list) {
    static const int kPointed = 0;
    static const std::string kNarrow = "caf\xC3\xA9";
    static const std::wstring kWide = L"w\x5E74";
    const bool sized = (k + 1) / 2 % 2 == 1;
    const int small = static_cast<int>(k % 7) - 3;
    if (type == "int") list.emplace_back(small);
    else if (type == "unsigned int") list.emplace_back(static_cast<unsigned>(k));
    else if (type == "long") list.emplace_back(static_cast<long>(small));
    else if (type == "unsigned long") list.emplace_back(static_cast<unsigned long>(k));
    else if (type == "long long") list.emplace_back(static_cast<long long>(small));
    else if (type == "unsigned long long") list.emplace_back(static_cast<unsigned long long>(k));
    else if (type == "short") list.emplace_back(static_cast<short>(small));
    else if (type == "unsigned short") list.emplace_back(static_cast<unsigned short>(k));
    else if (type == "signed char") list.emplace_back(static_cast<signed char>(small));
    else if (type == "unsigned char") list.emplace_back(static_cast<unsigned char>(k));
    else if (type == "intmax_t") list.emplace_back(static_cast<std::intmax_t>(small));
    else if (type == "uintmax_t") list.emplace_back(static_cast<std::uintmax_t>(k));
    else if (type == "ssize_t") list.emplace_back(static_cast<std::make_signed_t<std::size_t>>(small));
    else if (type == "size_t") list.emplace_back(k);
    else if (type == "ptrdiff_t") list.emplace_back(static_cast<std::ptrdiff_t>(small));
    else if (type == "unsigned ptrdiff_t") list.emplace_back(static_cast<std::make_unsigned_t<std::ptrdiff_t>>(k));
    else if (type == "double") list.emplace_back(-1.25e300 * small);
    else if (type == "long double") list.emplace_back(std::ldexp(static_cast<long double>(small), 16000));
    else if (type == "int (a character)") list.emplace_back('c');
    else if (type == "wint_t") list.emplace_back(L'\x5E74');
    else if (type == "char*") list.push_back(sized ? FormatArg(kNarrow) : FormatArg(kNarrow.c_str()));
    else if (type == "wchar_t*") list.push_back(sized ? FormatArg(kWide) : FormatArg(kWide.c_str()));
    else if (type == "void*") list.emplace_back(&kPointed);
    else return false;
    return true;
}

// A valid text given arguments of exactly the types its signature names
// has every directive filled: no '%' is left in Format's result but one
// for each "%%". Left out where the widths and precisions may pass Format's
// limit (digits and '*' adding up past it), where a directive is shown as
// its text by design.
std::string CheckFilled(const std::wstring& text) {
    const std::wstring units(text.c_str());
    const std::string signature = detail::PrintfSignature(units);
    if (!signature.empty() && signature[0] == '!') return "";
    std::size_t amounts = 0;
    std::size_t run = 0;
    std::size_t literal = 0;  // "%%"
    for (std::size_t i = 0; i <= units.size(); ++i) {
        const wchar_t u = i < units.size() ? units[i] : L'\0';
        if (u >= L'0' && u <= L'9') {
            run = std::min<std::size_t>(run * 10 + static_cast<std::size_t>(u - L'0'), kMostPadding);
            continue;
        }
        amounts += run + (u == L'*' ? 3 : 0);
        run = 0;
        if (u == L'%' && i + 1 < units.size() && units[i + 1] == L'%') ++literal, ++i;
    }
    if (amounts >= kMostPadding) return "";
    std::vector<FormatArg> list;
    const std::vector<std::string> types = Split(signature);
    for (std::size_t k = 0; k < types.size(); ++k)
        if (!ArgumentOf(types[k], k, list)) return "PrintfSignature names the type \"" + types[k] + "\", unknown here";
    const std::wstring shown = detail::FormatArgs(units.c_str(), list.data(), list.size());
    const auto left = static_cast<std::size_t>(std::count(shown.begin(), shown.end(), L'%'));
    if (left != literal)
        return "a valid text (\"" + signature + "\") given those arguments keeps " + std::to_string(left) +
               " '%' in Format's result, but has " + std::to_string(literal) + " \"%%\"";
    return "";
}

// ---- The load check ----

constexpr std::size_t kMembers = 7;

// A base of seven members: two with directives, one without, a positional
// one, a plural message's `one` (which may leave out the count) and
// `other`, a text with a '%' that is no format.
constexpr std::array<const wchar_t*, kMembers> kBase = {
    L"Saved %d notes to %ls", L"Hello", L"Moved %1$ls to %2$ls", L"%d file deleted",
    L"%d files deleted",      L"50% off", L"%.1f MB of %s"};
constexpr detail::BaseText kTable[] = {
    {0, "Status.Saved", "int,wchar_t*", kBase[0], 0, false},
    {2, "Status.Moved", "wchar_t*,wchar_t*", kBase[2], 1, false},
    {3, "Files.Deleted.one", "int", kBase[3], 3, true},
    {4, "Files.Deleted.other", "int", kBase[4], 3, false},
    {5, "Offer", "!the directive at character 3 has the flag '+' or ' ', which unsigned conversions do not take",
     kBase[5], 4, false},
    {6, "Size", "double,char*", kBase[6], 5, false},
    {kMembers, "", "", nullptr, 0, false},
};
constexpr const char* kNames[] = {"Status.Saved\0Status.Hello\0Status.Moved\0",
                                  "Files.Deleted.one\0Files.Deleted.other\0Offer\0Size\0"};
constexpr std::array<const char*, kMembers> kMemberNames = {
    "Status.Saved", "Status.Hello", "Status.Moved", "Files.Deleted.one", "Files.Deleted.other", "Offer", "Size"};

std::string WithoutLast(const std::string& signature) {
    const std::size_t comma = signature.rfind(',');
    return comma == std::string::npos ? std::string() : signature.substr(0, comma);
}

std::string Signature(const wchar_t* text) { return detail::PrintfSignature(text); }

}  // namespace

std::string CheckLoadCheck(const std::wstring* translations, std::size_t count, bool baseAtHand) {
    std::array<const wchar_t*, kMembers> texts = kBase;
    for (std::size_t i = 0; i < std::min(count, kMembers); ++i) texts[i] = translations[i].c_str();
    const std::array<const wchar_t*, kMembers> before = texts;
    static const std::vector<std::string> expected =
        detail::ExpectedSignatures(kTable, kMembers, &detail::PrintfSignature);
    int asked = 0;
    const detail::CheckedTexts checked = detail::CheckMembers(
        texts.data(), kMembers, kTable, expected, kNames, 2, &detail::PrintfSignature,
        [&](void* out) -> std::shared_ptr<const void> {
            ++asked;
            if (!baseAtHand) return nullptr;
            std::memcpy(out, kBase.data(), sizeof kBase);
            return std::make_shared<int>(0);
        });
    if (asked > 1) return "the load check asked for the base's texts " + std::to_string(asked) + " times";
    std::vector<std::string> replaced;  // their names, in member order
    const detail::BaseText* entry = kTable;
    for (std::size_t i = 0; i < kMembers; ++i) {
        const std::string name = "member " + std::to_string(i) + ": ";
        if (texts[i] == nullptr) return name + "null after the load check";
        const bool inTable = entry->index == i;
        const detail::BaseText* own = inTable ? entry++ : nullptr;
        const detail::BaseText* reference = own != nullptr ? &kTable[own->reference] : nullptr;
        if (reference != nullptr && reference->signature[0] == '!') {
            if (texts[i] != before[i]) return name + "replaced, though its base's text is no format";
            continue;
        }
        const std::string wanted = reference != nullptr ? Signature(reference->text) : "";
        const std::string actual = Signature(before[i]);
        const bool fits = actual == wanted || (own != nullptr && own->mayOmitCount && !wanted.empty() &&
                                               actual == WithoutLast(wanted));
        if (fits) {
            if (texts[i] != before[i]) return name + "replaced, though it takes the base's arguments";
            continue;
        }
        replaced.push_back(kMemberNames[i]);
        // The base's text: the table's, else the whole base's, else none (empty).
        const bool base = own != nullptr ? texts[i] == own->text : baseAtHand ? texts[i] == kBase[i] : *texts[i] == L'\0';
        if (!base)
            return name + "takes \"" + actual + "\" instead of \"" + wanted + "\" but is not the base's text";
    }
    if (checked.problems.size() != replaced.size())
        return std::to_string(checked.problems.size()) + " problems for " + std::to_string(replaced.size()) +
               " replaced members";
    for (std::size_t k = 0; k < replaced.size(); ++k)
        if (checked.problems[k].rfind(replaced[k] + ": ", 0) != 0)
            return "the problem \"" + checked.problems[k] + "\" does not name " + replaced[k];
    return "";
}

std::string CheckFormat(std::string_view input) {
    Reader in(input);
    const std::uint8_t flags = in.Byte();
    Arguments args;
    args.list.reserve(kMostArguments);
    for (std::size_t k = 0; k < (flags & 7u); ++k) ReadArgument(in, args);
    const std::wstring text = Units(in.Rest());
    std::string failure = CheckFormatted(text, args);
    if (failure.empty()) failure = CheckSignature(text);
    if (failure.empty()) failure = CheckFilled(text);
    if (!failure.empty()) return failure;
    std::vector<std::wstring> translations;
    for (std::size_t at = 0; translations.size() < kMembers;) {
        const std::size_t nul = text.find(L'\0', at);
        translations.push_back(text.substr(at, nul - at));
        if (nul == std::wstring::npos) break;
        at = nul + 1;
    }
    return CheckLoadCheck(translations.data(), translations.size(), (flags & 8u) == 0);
}

}  // namespace textresgen::format_properties
