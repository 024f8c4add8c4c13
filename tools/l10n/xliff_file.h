#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "l10n/base_file.h"
#include "l10n/exchange_unit.h"

// XLIFF 1.2, read and written with pugixml. pugixml reads no DTD and loads
// no external entity; on top of that a document with a DOCTYPE is refused,
// so no entity beyond XML's five is ever defined, and character references
// are checked before parsing.
namespace textresl10n {

// A new XLIFF 1.2 document, written unit by unit: one trans-unit per unit
// (id and resname are the key), printf directives and {n} placeholders as
// <ph>, characters XML cannot hold (control characters, CR, U+FFFE, U+FFFF)
// as <ph ctype="x-char"> holding their C++ escape; the target's state is
// "translated" or "needs-review-translation", and an untranslated unit has
// no target. Each Add appends a unit's markup to `out`, which the caller may
// take and empty between calls, so that neither the units nor the document
// are ever whole in memory. `plurals`: whether any unit will be plural (it
// shapes the document's start).
class XliffWriter {
public:
    XliffWriter(const ExchangeHeader& header, bool plurals, std::string& out);
    ~XliffWriter();
    void Add(const ExchangeUnit& unit);
    // Appends what follows the last unit.
    void Finish();

private:
    struct Frame;  // pugixml's types stay out of this header
    std::unique_ptr<Frame> frame_;
    std::string& out_;
};

// The units of an XLIFF 1.x document, in document order. The key is the
// trans-unit's resname, else the location po2xliff keeps for a PO entry's
// "#:" reference, else its id. False with the line of the problem for a
// document that is not well-formed, holds a DOCTYPE, an undeclared entity
// or a reference to a character XML does not allow (CDATA sections are
// text; comments and processing instructions are not), is not XLIFF 1.x, or
// has a unit without source, a repeated key or inline codes that carry no
// text (<x/>, <bx/>, <ex/>).
bool ReadXliff(std::string_view bytes, std::vector<ExchangeUnit>& units, ExchangeProblem& problem);

// The document merged with a changed base: units stay in the file's order;
// new units added without target after the nearest unit before them in the
// base; units of names no longer in the base removed; a unit whose source
// changed gets the new source and, when it has a translation, the state
// needs-review-translation; developer notes taken from the base. Only the
// bytes a change needs are rewritten: every other byte (character
// references, CDATA, comments, quotes, blanks) stays, and what is added
// takes the namespace prefix of the element it goes into.
// A new name whose source equals or is close to that of a translated name
// that left the base (MatchRenames) takes its translation as
// needs-review-translation; `carried` counts them.
bool UpdateXliff(std::string_view bytes, const BaseFile& base, std::string& out, std::size_t& carried,
                 ExchangeProblem& problem);

}  // namespace textresl10n
