#pragma once

#include <string>
#include <string_view>

// Properties of the run-time library's handling of a translated text:
// textresgen::Format and FormatUtf8, detail::PrintfSignature and the load
// check detail::CheckMembers. Shared by their fuzz target and the corpus
// replay test. Each check returns an empty string when the property holds,
// otherwise a one-line description of the first violation.
//
// An input is, in order:
// - one byte: bits 0-2 the number of arguments (0 to 7); bit 3 set: the
//   load check finds no base text at hand;
// - each argument: a byte whose value modulo 28 picks its type (every
//   integer type, char, wchar_t, bool, char16_t, char32_t, float, double,
//   long double, const char*, std::string, std::string_view, const
//   wchar_t*, std::wstring, std::wstring_view, null const char* and const
//   wchar_t*, nullptr, any other pointer), then its value: integers and
//   pointers 8 bytes, float 4, double 8 (raw bits: NaN, inf, subnormals),
//   long double a double's 8 bytes and a 2-byte binary exponent added to
//   it; a text a length byte and that many bytes (for a wide one decoded as
//   below);
// - the rest, the text, decoded unit by unit: a byte below F0 is the unit
//   of its value, F0 is followed by a 16-bit unit (surrogates), F1 by a
//   32-bit one (above U+10FFFF, negative wchar_t), F2 by a 24-bit code
//   point written as a UTF-16 surrogate pair (where it is one) in two
//   units, all little-endian; F3 to FF are themselves.
namespace textresgen::format_properties {

// On every input:
// - no crash, no undefined behaviour (the sanitizers of the fuzz build);
// - Format's result has at most T + D * (A + K) + 1,048,576 units, and
//   FormatUtf8's at most 4T + D * (4A + K) + 1,048,576 bytes, where T is the
//   text's length up to its NUL, D the number of '%' in it, A the longest
//   text argument, K 5,000 with a long double argument (its largest value
//   has 4,933 digits) and 400 without: every unit of the text is copied at
//   most once, a directive adds its argument or number, and all widths and
//   precisions together stay within a mebibyte;
// - FormatUtf8's result is Format's in UTF-8, a unit that is no character
//   as U+FFFD (where wchar_t has 32 bits);
// - PrintfSignature of the whole text is the same twice, starts with '!'
//   exactly when lib/codec's ParsePrintfFormat finds the text (its units,
//   or with surrogate pairs joined) no valid format, and else lists the
//   arguments ParsePrintfFormat lists;
// - a valid text (up to its NUL) given arguments of exactly the types its
//   signature names, with widths and precisions that cannot pass Format's
//   limit, has every directive filled: no '%' is left in Format's result
//   but one for each "%%";
// - the load check of a fixed table, whose members' translations are the
//   text's pieces between NULs: see CheckLoadCheck.
std::string CheckFormat(std::string_view input);

// The load check (CheckMembers) on seven members, the i-th translated by
// translations[i] (the base's own text where there is none): afterwards
// every member is non-null; one whose translation takes the base's
// arguments (or, for the form of a plural message that may, all but the
// count) or, for a member whose base takes none, takes none, is kept; any
// other is the base's text (or empty when `baseAtHand` is false and the
// base has no table entry), and a problem names it; the base's whole
// structure is asked for at most once.
std::string CheckLoadCheck(const std::wstring* translations, std::size_t count, bool baseAtHand);

}  // namespace textresgen::format_properties
