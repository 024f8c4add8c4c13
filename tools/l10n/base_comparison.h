#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "l10n/base_file.h"
#include "l10n/exchange_unit.h"
#include "l10n/key_index.h"
#include "codec/literal_body.h"

// A translation compared with the base it was made from: which names it
// lacks or has too many, which texts it translates for an older source,
// which translations take other printf arguments or {n} than their source.
namespace textresl10n {

// A name of the base and what the translation holds for it.
struct ComparedUnit {
    const BaseUnit* base = nullptr;
    const ExchangeUnit* translation = nullptr;  // null: the translation lacks the name
    bool sourceChanged = false;                 // it was made for another source text than the base's
};

// Whether the translation was made for another source text than the base's:
// a plural message compared with a text (or the other way round) is stale
// too; a file that does not hold the plural source (an XLIFF group of one
// form) is compared by its singular.
bool SourceChanged(const BaseUnit& base, const ExchangeUnit& translation);

// The state that counts: Untranslated without a unit; a translation made for
// an older source text needs review, whatever its file says.
UnitState StateAgainstBase(const ComparedUnit& unit);
UnitState StateAgainstBase(const BaseUnit& base, const ExchangeUnit& translation);
// The state `stats` counts, as translators' tools count it
// (translate-toolkit's pocount): StateAgainstBase, except that an XLIFF
// unit with a text in its target that is not approved="yes" needs review,
// whatever its state (new included). (Where a file says approved="yes" but
// its state says new or for review, the state counts; pocount counts such a
// unit as translated.)
UnitState CountedState(const BaseUnit& base, const ExchangeUnit& translation);

// For each name new to the file (`added`, base units), the index in
// `removed` (the sources of translated units whose names left the base) of
// the one whose translation it takes over for review, or -1: an equal
// source first, else the most similar one (the Dice coefficient of the
// texts' byte pairs, at least 0.7). Each removed unit serves once. The
// similarity search stops after a bounded number of comparisons, so that a
// base that renamed everything costs no more than equal sources do.
std::vector<long> MatchRenames(const std::vector<const BaseUnit*>& added, const std::vector<std::string>& removed);

// What an update of a translation to the base changes.
struct UpdateCounts {
    bool changed = false;     // the file's bytes change
    std::size_t added = 0;    // names of the base the file lacked
    std::size_t removed = 0;  // units whose names left the base
    std::size_t review = 0;   // translations made for another source text, now marked for review
    std::size_t carried = 0;  // new names that took a renamed name's translation for review
    bool droppedMark = false; // PO: the file's UTF-8 byte order mark left out, as gettext's tools refuse it
    std::size_t revived = 0;  // names back in the base that took their obsolete entry's translation (PO)
};

// The counts of an update (all but `changed` and `carried`, which the merge
// itself knows), from the units the file held, given one at a time so that
// they need not all be in memory; each key once.
class UpdateCounter {
public:
    explicit UpdateCounter(const BaseFile& base);
    void Add(const ExchangeUnit& unit);
    UpdateCounts Counts() const;

private:
    BaseUnitIndex byKey_;
    std::size_t unseen_;  // base names not yet met in the file
    UpdateCounts counts_;
};

// The same for the units of a whole file.
UpdateCounts CountUpdate(const BaseFile& base, const std::vector<ExchangeUnit>& before);

// How a translation's printf directives and {n} placeholders differ from
// those of its source, one message each; none when it takes the same
// arguments.
std::vector<std::string> PlaceholderMismatches(textresgen::LiteralValuesView source,
                                               textresgen::LiteralValuesView translation);

// The same for one form of a plural message against the message's plural
// source; a form for a single count (FormTakesOneCount) may leave out the count.
std::vector<std::string> PluralFormMismatches(textresgen::LiteralValuesView plural, textresgen::LiteralValuesView form,
                                              bool singleCount);

}  // namespace textresl10n
