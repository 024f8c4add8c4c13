#pragma once

// Byte-level helpers for building definition files and inspecting generated
// ones in tests.

#include <string>
#include <string_view>
#include <vector>

namespace textresgen::test {

// The units as UTF-16LE bytes, no mark.
std::string Utf16Le(std::u16string_view units);
// FF FE followed by the units as UTF-16LE bytes.
std::string Utf16LeWithMark(std::u16string_view units);
// EF BB BF followed by the given bytes.
std::string Utf8WithMark(std::string_view bytes);

// Decodes well-formed UTF-8 (test literals) to UTF-16 units.
std::u16string UnitsFromUtf8(std::string_view utf8);
// Encodes UTF-16 units as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromUnits(std::u16string_view units);
// UTF-16LE bytes (an odd last byte is ignored) to units.
std::u16string UnitsFromUtf16Le(std::string_view bytes);

// Units as readable ASCII for failure messages: printable ASCII stays, the
// rest becomes \uXXXX.
std::string Printable(std::u16string_view units);

}  // namespace textresgen::test
