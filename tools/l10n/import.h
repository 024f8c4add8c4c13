#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "l10n/base_file.h"
#include "l10n/exchange_format.h"
#include "l10n/exchange_unit.h"
#include "l10n/unit_file.h"
#include "text/byte_stream.h"

// Taking translators' work back: the units of an exchange file (or of a
// translation kept as a definition file) made into a definition file.
namespace textresl10n {

// An import's warnings: the first kShownWarnings in full, the rest only
// counted by kind (what a warning says after its unit's name, up to its
// first ':', ';' or quoted text: "is not translated"), so that a file of
// millions of units costs neither millions of lines nor their memory.
inline constexpr std::size_t kShownWarnings = 100;
struct MoreWarnings {
    std::string kind;
    std::size_t count = 0;
};

// The lines of the exchange file one line of an imported definition was
// made from: its unit's translation and its key (0: none).
struct UnitOrigin {
    std::uint32_t translationLine = 0;  // 32 bits: a definition may have millions of lines
    std::uint32_t keyLine = 0;
};

struct ImportResult {
    bool ok = false;
    std::string definition;               // the definition file (UTF-16LE, FF FE, CR LF) when ok
    std::vector<ExchangeProblem> errors;  // in file order
    std::vector<ExchangeProblem> warnings;  // the first kShownWarnings
    std::vector<MoreWarnings> moreWarnings;  // the others, by kind, in the order of their first
    std::size_t units = 0;                // members of the definition
    std::size_t fellBack = 0;             // units that took their source text

    // Keeps the warning, or counts it past the first kShownWarnings.
    void AddWarning(ExchangeProblem warning);
};

// Turns an exchange file into a definition file, each translated text
// encoded back into a literal body. Every key must be a dotted name, every
// translation must take the printf arguments its own source takes, and the
// result must pass textrescheck without errors; otherwise nothing is
// produced.
//
// Without a base: one member per unit in file order; a unit without a usable
// translation takes its source text. With the base the file was made from:
// exactly the base's members in its order, and the base's text (with a
// warning at the unit's translation) for a unit that is missing,
// untranslated, marked for review, made for another source text than the
// base's, or taking other arguments than the base's text; a unit the base
// lacks is left out with a warning. Each member that took a source text has
// a comment line above it telling its state ("# textresl10n: ..."), which
// export --translation reads back.
ImportResult ImportExchange(std::string_view bytes, const ExchangeFormat& format, const BaseFile* base = nullptr);
// The same in two steps, for the units of a file already read: the
// definition written to `out` as it is made (`origins`: each of its lines'
// place in the file), the result's `definition` left empty; then, once the
// caller let go of the file, the check of what `out` reads back
// (WrittenBytes), which also settles `ok`.
ImportResult WriteImport(UnitFile& file, const BaseFile* base, textresgen::ByteSink& out,
                         std::vector<UnitOrigin>& origins);
void CheckImport(textresgen::ByteSink& out, const std::vector<UnitOrigin>& origins, ImportResult& result);

}  // namespace textresl10n
