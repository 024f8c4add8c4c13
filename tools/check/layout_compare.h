#pragma once

#include <string_view>
#include <vector>

#include "check/definition_index.h"
#include "check/cli_names.h"

namespace textrescheck {

// The names by which `other` declares a different structure than
// `reference` (the file at `referencePath`): every entry or group it lacks
// (line 0, naming the reference's line) and every one only it has (at its
// own line). A group that is missing or extra as a whole is reported once,
// not entry by entry. Every finding is an error: one member more or less
// moves all members after it.
std::vector<Diagnostic> CompareLayouts(const DefinitionIndex& reference, std::string_view referencePath,
                                    const DefinitionIndex& other);

}  // namespace textrescheck
