#pragma once

#include <cstddef>
#include <string>

#include "l10n/base_file.h"
#include "l10n/exchange_unit.h"
#include "l10n/xliff_document.h"

namespace textresl10n::xliff {

// The document read whole or in pieces, merged with the base as
// UpdateXliff (xliff_file.h) tells: only the bytes a change needs are
// rewritten.
bool UpdateUnits(XliffDocument& document, const BaseFile& base, std::string& out, std::size_t& carried,
                 ExchangeProblem& problem);

}  // namespace textresl10n::xliff
