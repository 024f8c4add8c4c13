#pragma once

#include <cstddef>
#include <vector>

#include "check/file_check.h"
#include "l10n/import.h"

namespace textresl10n {

// What the checker found in an imported definition, as problems of the
// exchange file: each finding (notes left out) moved to the translation of
// its line's unit when it concerns the text, else to the unit's key, and
// added to the result's errors or warnings; an error when the definition
// could not be read back. `origins` is indexed by definition line (1-based;
// element 0 stands for no line).
void AddCheckFindings(textrescheck::FileCheck check, const std::vector<UnitOrigin>& origins, ImportResult& result);

}  // namespace textresl10n
