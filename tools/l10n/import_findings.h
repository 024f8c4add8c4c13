#pragma once

#include <cstddef>
#include <vector>

#include "check/file_check.h"
#include "l10n/operations.h"

namespace textresl10n {

// The lines of the exchange file one line of an imported definition was
// made from: its unit's translation and its key (0: none).
struct UnitOrigin {
    std::size_t translationLine = 0;
    std::size_t keyLine = 0;
};

// What the checker found in an imported definition, as problems of the
// exchange file: each finding (notes left out) moved to the translation of
// its line's unit when it concerns the text, else to the unit's key, and
// added to the result's errors or warnings; an error when the definition
// could not be read back. `origins` is indexed by definition line (1-based;
// element 0 stands for no line).
void AddCheckFindings(textrescheck::FileCheck check, const std::vector<UnitOrigin>& origins, ImportResult& result);

}  // namespace textresl10n
