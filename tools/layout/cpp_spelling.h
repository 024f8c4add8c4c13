#pragma once

#include <string>
#include <string_view>

#include "codec/literal_body.h"
#include "text/wide_string.h"

// How textresgen-layout spells what comes from a definition in its ASCII
// C++ output, so that nothing the definition holds becomes code.
namespace textresgen {

// A wide string literal (one or more adjacent L"..." pieces, each short
// enough for every compiler) that denotes exactly `values`: printable ASCII
// as is except \ " ?, controls as three-digit octal escapes, surrogate
// values (from \x escapes) as \x, which ends its piece, the rest as \u or \U.
std::string WideLiteral(LiteralValuesView values);

// A narrow literal of `text`'s UTF-8, bytes outside printable ASCII (and
// \ " ?) as three-digit octal escapes.
std::string NarrowLiteral(std::string_view utf8);

// A generated name (an identifier, perhaps with characters outside ASCII)
// in ASCII: those characters as \u or \U universal character names.
std::string IdentifierSpelling(WideStringView name);

// The longest run of source characters written into one literal piece.
inline constexpr std::size_t kLiteralPiece = 2000;

}  // namespace textresgen
