#pragma once

#include <string>
#include <string_view>

#include "l10n/exchange_unit.h"
#include "text/wide_string.h"

// The comment lines import writes above a member of a definition that holds
// something other than a plain translation (the source text in place of
// one, the translation awaiting review, XLIFF's own words for the state,
// PO's "#|"), and that export --translation reads back to give the unit its
// state again. Each is "# textresl10n: ..." with its texts as literal
// bodies; the generator ignores comment lines.
namespace textresl10n {

// "# textresl10n: untranslated" (with ": " and the translation an XLIFF
// target marked new holds), or "# textresl10n: needs review: " and the
// translation awaiting review.
textresgen::WideString StateMarker(UnitState state, std::string_view translation);
// PO's "#| msgctxt" and "#| msgid" of a translation awaiting review.
textresgen::WideString PreviousKeyMarker(std::string_view key);
textresgen::WideString PreviousSourceMarker(std::string_view source);
// Whether the unit's XLIFF words differ from those export writes of its
// state alone, so that a marker must keep them; and that marker.
bool XliffWordsKept(const ExchangeUnit& unit, UnitState state);
textresgen::WideString XliffMarker(const ExchangeUnit& unit);

// Reading a note (the comment text without "# ") back; each false for a
// note that is no such marker. The state and the translation it holds:
bool StateOfMarker(std::string_view note, UnitState& state, std::string& translation);
// A "#|" part (the name's comes first; `any`: the source's was met):
bool PreviousOfMarker(std::string_view note, PreviousText& previous, bool& any);
// The XLIFF words it keeps:
bool XliffWordsOfMarker(std::string_view note, ExchangeUnit& unit);

}  // namespace textresl10n
