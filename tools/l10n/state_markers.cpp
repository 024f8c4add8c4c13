#include "l10n/state_markers.h"

#include <string>

#include "codec/literal_body.h"
#include "l10n/definition_line.h"

namespace textresl10n {
namespace {

using textresgen::LiteralValues;

// The comment line above an imported entry that holds the source text in
// place of a translation, so that export --translation gives the unit back
// its state: "# textresl10n: untranslated" (with ": " and the text of an
// XLIFF target marked new or needs-translation, which it keeps), or
// "# textresl10n: needs review: " and the translation awaiting review, each
// text as a literal body ('=' written \075, so that the line stays a
// comment). The generator ignores the line.
constexpr std::string_view kMarkerUntranslated = "textresl10n: untranslated";
constexpr std::string_view kMarkerReview = "textresl10n: needs review: ";
// The XLIFF words of a unit's state where they are not those export writes
// of the state alone: "# textresl10n: xliff: state final; approved no" (a
// word the unit lacks is left out; no '=', which would make the line a
// definition).
constexpr std::string_view kMarkerXliff = "textresl10n: xliff:";
// PO's "#| msgctxt" and "#| msgid" of a translation awaiting review, each a
// literal body as above: "# textresl10n: previous name: Status.Modified",
// "# textresl10n: previous source: Modified".
constexpr std::string_view kMarkerPreviousKey = "textresl10n: previous name: ";
constexpr std::string_view kMarkerPreviousSource = "textresl10n: previous source: ";

void AppendMarkerBody(textresgen::WideString& line, std::string_view text) {
    for (const char16_t c : textresgen::EncodeLiteralBody(Values(text)))
        line += c == u'=' ? textresgen::WideString(u"\\075") : textresgen::WideString(1, c);
}

textresgen::WideString TextMarker(std::string_view marker, std::string_view text) {
    textresgen::WideString line = u"# ";
    line.append(marker.begin(), marker.end());
    AppendMarkerBody(line, text);
    return line;
}

// The text of a marker note that starts with `marker`; false for any other.
bool TextOfMarker(std::string_view note, std::string_view marker, std::string& text) {
    if (note.compare(0, marker.size(), marker) != 0) return false;
    LiteralValues literal, values;
    std::size_t bad = 0;
    textresgen::LiteralProblem problem;
    return textresgen::Utf8ToValues(note.substr(marker.size()), literal, bad) &&
           textresgen::DecodeLiteralBody(textresgen::ValuesToUnits(literal), values, problem) &&
           textresgen::ValuesToUtf8(values, text);
}

}  // namespace

textresgen::WideString StateMarker(UnitState state, std::string_view translation) {
    textresgen::WideString line = u"# ";
    const std::string_view marker = state == UnitState::NeedsReview ? kMarkerReview : kMarkerUntranslated;
    line.append(marker.begin(), marker.end());
    if (state != UnitState::NeedsReview && !translation.empty()) line += u": ";
    if (state == UnitState::NeedsReview || !translation.empty()) AppendMarkerBody(line, translation);
    return line;
}

textresgen::WideString PreviousKeyMarker(std::string_view key) { return TextMarker(kMarkerPreviousKey, key); }

textresgen::WideString PreviousSourceMarker(std::string_view source) {
    return TextMarker(kMarkerPreviousSource, source);
}

bool PreviousOfMarker(std::string_view note, PreviousText& previous, bool& any) {
    if (TextOfMarker(note, kMarkerPreviousKey, previous.key)) return true;
    return any = TextOfMarker(note, kMarkerPreviousSource, previous.source);
}

bool XliffWordsKept(const ExchangeUnit& unit, UnitState state) {
    if (!unit.xliff || (unit.xliffState == 0 && unit.approved == XliffApproved::None && unit.target.empty()))
        return false;
    const std::string_view usual = state == UnitState::Translated ? "translated"
                                   : state == UnitState::NeedsReview ? "needs-review-translation"
                                   : unit.target.empty() ? "" : "new";
    const XliffApproved approved = state == UnitState::Translated ? XliffApproved::Yes : XliffApproved::None;
    return kXliffStates[unit.xliffState] != usual || unit.approved != approved;
}

textresgen::WideString XliffMarker(const ExchangeUnit& unit) {
    std::string line = "# " + std::string(kMarkerXliff);
    if (unit.xliffState != 0) line += " state " + std::string(kXliffStates[unit.xliffState]) + ";";
    if (unit.approved != XliffApproved::None)
        line += std::string(" approved ") + (unit.approved == XliffApproved::Yes ? "yes" : "no") + ";";
    return textresgen::WideString(line.begin(), line.end());
}

bool StateOfMarker(std::string_view note, UnitState& state, std::string& translation) {
    std::string_view body;
    if (note == kMarkerUntranslated) {
        state = UnitState::Untranslated;
        translation.clear();
        return true;
    }
    if (note.compare(0, kMarkerUntranslated.size() + 2, std::string(kMarkerUntranslated) + ": ") == 0) {
        state = UnitState::Untranslated;
        body = note.substr(kMarkerUntranslated.size() + 2);
    } else if (note.compare(0, kMarkerReview.size(), kMarkerReview) == 0) {
        state = UnitState::NeedsReview;
        body = note.substr(kMarkerReview.size());
    } else {
        return false;
    }
    LiteralValues literal, values;
    std::size_t bad = 0;
    textresgen::LiteralProblem problem;
    return textresgen::Utf8ToValues(body, literal, bad) &&
           textresgen::DecodeLiteralBody(textresgen::ValuesToUnits(literal), values, problem) &&
           textresgen::ValuesToUtf8(values, translation);
}

bool XliffWordsOfMarker(std::string_view note, ExchangeUnit& unit) {
    if (note.compare(0, kMarkerXliff.size(), kMarkerXliff) != 0) return false;
    note.remove_prefix(kMarkerXliff.size());
    const auto word = [&](std::string_view name, std::string& value) {
        const std::string start = " " + std::string(name) + " ";
        const std::size_t at = note.find(start);
        if (at == std::string_view::npos) return;
        const std::size_t end = note.find(';', at + start.size());
        if (end != std::string_view::npos) value = note.substr(at + start.size(), end - at - start.size());
    };
    unit.xliff = true;
    std::string state, approved;
    word("state", state);
    word("approved", approved);
    unit.xliffState = XliffStateIndex(state);
    unit.approved = approved == "yes" ? XliffApproved::Yes : approved == "no" ? XliffApproved::No : XliffApproved::None;
    return true;
}

}  // namespace textresl10n
