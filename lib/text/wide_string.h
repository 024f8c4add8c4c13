#pragma once

#include <string>
#include <string_view>

namespace textresgen {

// UTF-16 code units exactly as read from a definition file; no encoding checks.
// Comparison is by unsigned code-unit value (char16_t is unsigned).
using WideString = std::u16string;
using WideStringView = std::u16string_view;

}  // namespace textresgen
