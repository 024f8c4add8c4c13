#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/diagnostic.h"

// One unit of an exchange file (PO or XLIFF), whatever the format.
namespace textresl10n {

enum class UnitState {
    Untranslated,  // no translation: empty, or marked new / needs-translation
    Translated,
    NeedsReview,   // a translation marked fuzzy / needs-review-*: not used until reviewed
};

// One form of a plural message: an integer category of the file's language
// and its text.
struct PluralForm {
    std::string category;      // zero one two few many other
    std::string text;          // may be empty
    std::size_t line = 0;      // where it stands in the file
    bool singleCount = false;  // it takes one count alone (may leave out the count)
};

// XLIFF 1.2's values of a target's `state`; index 0 stands for none (a
// custom "x-" value is not kept).
inline constexpr const char* kXliffStates[] = {"",
                                               "final",
                                               "needs-adaptation",
                                               "needs-l10n",
                                               "needs-review-adaptation",
                                               "needs-review-l10n",
                                               "needs-review-translation",
                                               "needs-translation",
                                               "new",
                                               "signed-off",
                                               "translated"};
inline unsigned char XliffStateIndex(std::string_view state) {
    for (unsigned char i = 1; i < sizeof kXliffStates / sizeof kXliffStates[0]; ++i)
        if (state == kXliffStates[i]) return i;
    return 0;
}

enum class XliffApproved : unsigned char { None, Yes, No };

struct PreviousText {
    std::string key;  // empty: the same name
    std::string source;
};

struct ExchangeUnit {
    std::string key;     // the dotted name, UTF-8
    std::string source;  // UTF-8, the characters themselves (no escapes)
    std::string target;
    UnitState state = UnitState::Untranslated;
    bool translate = true;           // false: the text stays the source's (PO read-only, XLIFF translate="no")
    // XLIFF's own words for the state, as the file has them, so that import
    // and export give them back (a plural group's: its first form unit's):
    // the target's `state` (an index into kXliffStates; 0: none) and the
    // unit's `approved`. `xliff`: the unit comes from an XLIFF file, where
    // only approved="yes" counts as translated for translators' tools
    // (translate-toolkit's pocount). Bytes in the padding after
    // `translate`, as units may be millions.
    unsigned char xliffState = 0;
    XliffApproved approved = XliffApproved::None;
    bool xliff = false;
    std::vector<std::string> notes;  // developer notes
    std::size_t line = 0;            // where the unit starts in its file
    std::size_t targetLine = 0;      // its translation (msgstr, <target>); else where it starts

    // PO's "#| msgctxt" and "#| msgid": the name and the source a fuzzy
    // translation was made for, kept through import and export (null for
    // most units).
    std::unique_ptr<const PreviousText> previous;

    // A plural message (PO msgid_plural, XLIFF's x-gettext-plurals group):
    // `source` is its singular, `sourcePlural` its plural, and the
    // translation is one form per integer category of the language, in
    // CLDR's order (`target` stays empty).
    bool plural = false;
    std::string sourcePlural;
    std::vector<PluralForm> forms;
};

// The kind of state an XLIFF `state` word names: new and needs-translation
// untranslated; needs-review-*, needs-adaptation and needs-l10n for review;
// any other (translated, final, signed-off, none) translated.
inline UnitState StateOfXliffWord(std::string_view state) {
    if (state == "new" || state == "needs-translation") return UnitState::Untranslated;
    if (state.substr(0, 12) == "needs-review" || state == "needs-adaptation" || state == "needs-l10n")
        return UnitState::NeedsReview;
    return UnitState::Translated;
}

// What a new exchange file says besides its units.
struct ExchangeHeader {
    std::string original;        // the base file's name (PO: Project-Id-Version)
    std::string sourceLanguage;  // XLIFF only
    std::string targetLanguage;  // empty for a template
    std::string revisionDate;    // PO only: "YYYY-MM-DD HH:MM+0000"
};

// A problem of an exchange file: {line (0: the file as a whole), message}.
using ExchangeProblem = textresgen::cli::Diagnostic;

}  // namespace textresl10n
