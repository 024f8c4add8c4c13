#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "codec/literal_body.h"

// printf directives and {n} placeholders in a text, and their comparison
// between a base text and its translation. A translation whose directives
// take other arguments than the base text's makes printf read the wrong
// arguments at run time: a crash or garbage.
namespace textresgen {

// What the printf directives of one text take.
//
// A directive is %[m$][flags][width|*[m$]][.precision|*[m$]][length]conversion.
// "%%" takes nothing; "*" takes an int. Numbered arguments are sorted and a
// repeated number merged. A text is a valid format when every '%' starts a
// complete directive whose flags and length fit its conversion, either all
// directives are numbered or none are, numbers leave no gap, and no
// directive is %n. "100% sure" is no valid format: "% s" would be the space
// flag with %s, which the space flag does not apply to. %S and %C are no
// conversions (MSVC's wide printf reads %S as a narrow string): %ls, %lc.
// The grammar is the run-time library's (runtime/printf_directive.h), so
// Format reads a text as this judges it.
struct PrintfFormat {
    bool valid = true;
    std::string problem;                 // why it is not valid (UTF-8), with the character
    std::size_t directives = 0;          // directives, "%%" included
    std::vector<std::string> arguments;  // the type each argument must have, in order
    // Where each directive stands: [first, second) in the text. Complete
    // only for a valid format.
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    // Whether the text holds a directive and is a valid format: only such
    // a text is compared with its translations and flagged c-format.
    bool IsFormat() const { return valid && directives > 0; }
};
PrintfFormat ParsePrintfFormat(LiteralValuesView text);

// A {n} placeholder: 1 to 6 decimal digits in braces, at [begin, end) in the text.
struct BracePlaceholder {
    std::size_t begin = 0;
    std::size_t end = 0;
    long number = 0;
};
// The {n} placeholders of the text, in order. The one place they are read.
std::vector<BracePlaceholder> FindBracePlaceholders(LiteralValuesView text);

// The highest n of the {n} placeholders in the text, -1 when there is none.
long HighestBracePlaceholder(LiteralValuesView text);

// Where the placeholders that a translator must keep as they are stand:
// the directives of a valid format and the {n} placeholders, as [first,
// second) spans, sorted.
std::vector<std::pair<std::size_t, std::size_t>> PlaceholderSpans(LiteralValuesView text);

// What is wrong with `translation` against `base`: when the base is a
// valid format with a directive, the translation must be a valid format
// taking the same number of arguments of the same types (%d and %i alike;
// %o %u %x %X alike; every floating conversion alike; %s, %ls, %c, %lc, %d,
// %ld ... each its own); when the base holds {n} placeholders, the highest n
// must be the same. When the base is no format, the translation may hold no
// %n (whatever its length modifier), and, unless the base holds a '%' of its
// own ("50% off", which shows it is no text for printf), no '%' at which
// printf reads an argument, valid directive or not ("% s" reads a string).
// Each problem is one sentence (UTF-8). Empty: no problem.
// With `mayOmitCount` the translation may leave out the count as
// ComparePluralForm allows (a translation of a plural message's `one`).
std::vector<std::string> ComparePlaceholders(LiteralValuesView base, LiteralValuesView translation,
                                             bool mayOmitCount = false);

// What is wrong with one form of a plural message (e.g. the text of
// Files.Deleted.one) against the message's reference text, its `other`
// form: the rules of ComparePlaceholders, except that with `mayOmitCount`
// (a form that stands for a single count, as `one` does) the form may leave
// out the count, as gettext allows. The count is then the reference's last
// printf argument and an integer: leaving out any other argument shifts
// the ones after it (or leaves a gap in numbered ones, which fortified
// printf aborts on), so printf would read the wrong arguments. A {n}
// placeholder may be left out as well, but the form's highest n must not
// exceed the reference's. Each problem is one sentence (UTF-8).
std::vector<std::string> ComparePluralForm(LiteralValuesView reference, LiteralValuesView form, bool mayOmitCount);

}  // namespace textresgen
