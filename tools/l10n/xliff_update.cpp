#include "l10n/xliff_update.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "l10n/base_comparison.h"
#include "l10n/plural_forms.h"
#include "l10n/xliff_markup.h"
#include "l10n/xliff_read.h"
#include "l10n/xliff_write.h"
#include "l10n/xml_checked.h"

// Update changes the bytes it must change and leaves every other byte as
// the file had it (character references, quotes, blanks, line ends).
namespace textresl10n::xliff {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The namespace prefix of an element's name ("x:" for "x:trans-unit").
std::string PrefixOf(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

// Gives every element below `root`, and `root`, the prefix of the document's
// XLIFF elements, so that what is added stays in the XLIFF namespace.
void Prefix(pugi::xml_node root, const std::string& prefix) {
    if (prefix.empty()) return;
    SetName(root, (prefix + root.name()).c_str());
    WalkBelow(root, [&](pugi::xml_node node) {
        if (node.type() == pugi::node_element) SetName(node, (prefix + node.name()).c_str());
        return true;
    });
}

// One change of the document: the bytes [begin, end) replaced by `text`.
struct Edit {
    std::size_t begin;
    std::size_t end;
    std::string text;
};

std::string ApplyEdits(std::string_view bytes, std::vector<Edit>& edits, bool crlf) {
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
    // The size first, so that the result is allocated once.
    std::size_t size = 0, cursor = 0;
    for (const Edit& edit : edits) {
        if (edit.begin > cursor) size += edit.begin - cursor;
        size += edit.text.size();
        if (crlf) size += static_cast<std::size_t>(std::count(edit.text.begin(), edit.text.end(), '\n'));
        cursor = std::max(cursor, edit.end);
    }
    if (cursor < bytes.size()) size += bytes.size() - cursor;
    std::string out;
    out.reserve(size);
    cursor = 0;
    for (const Edit& edit : edits) {
        if (edit.begin > cursor) out.append(bytes.substr(cursor, edit.begin - cursor));
        for (const char c : edit.text) {
            if (c == '\n' && crlf) out += '\r';  // added lines end as the file's lines do
            out += c;
        }
        cursor = std::max(cursor, edit.end);
    }
    if (cursor < bytes.size()) out.append(bytes.substr(cursor));
    return out;
}

// What `fill` puts into an element, as markup, in the namespace of `prefix`.
template <typename Fill>
std::string Markup(const std::string& prefix, const Fill& fill) {
    pugi::xml_document scratch;
    pugi::xml_node holder = NewChild(scratch, "holder");
    fill(holder);
    Prefix(holder, prefix);
    return ChildrenMarkup(holder);
}

// The edits that merge a document with the base. The units are gone
// through in file order. A unit stays when the base has its name in the
// same shape (a plural group for a plural message, a trans-unit for a
// text), the first of that name; the edits it needs are made here and
// applied in the base's order. Any other unit's name left the base: it
// goes. A new name whose source is that of a translated name that left the
// base (a rename), or close to it, takes its translation for review.
class XliffUpdate {
public:
    XliffUpdate(XliffDocument& document, const BaseFile& base, std::size_t forms)
        : document_(document), bytes_(document.Bytes()), base_(base), forms_(forms),
          endOf_(base.units.size(), kNone) {
        inBase_.reserve(base.units.size());
        for (std::size_t i = 0; i < base.units.size(); ++i) inBase_.emplace(base.units[i].Key(), i);
    }

    bool GoThroughUnits(ExchangeProblem& problem);
    // Which new names take a renamed name's translation; returns how many.
    std::size_t MatchRenamedUnits();
    // Every edit, in the base's order: a new unit after the unit of the
    // nearest name before it in the base, each kept unit's edits, then the
    // units that go.
    std::vector<Edit> EditsInBaseOrder();

private:
    void Remove(const pugi::xml_node& node, std::size_t unitStart);
    void Keep(const pugi::xml_node& node, std::size_t index, std::size_t unitStart);
    void EditTranslate(const pugi::xml_node& node, const BaseUnit& unit, std::size_t unitStart);
    bool EditSources(const BaseUnit& unit, const std::vector<pugi::xml_node>& formUnits, const std::string& prefix);
    void MarkForReview(const BaseUnit& unit, const std::vector<pugi::xml_node>& formUnits, std::size_t unitStart);
    void EditNotes(const pugi::xml_node& node, const BaseUnit& unit, std::size_t unitEnd, const std::string& prefix);
    std::string NewUnit(const BaseUnit& unit, const std::string& bodyPrefix) const;

    // An edit of the unit of base unit `keptIndex_`.
    void Change(std::size_t begin, std::size_t end, std::string text) {
        kept_.push_back({keptIndex_, Edit{begin, end, std::move(text)}});
    }

    XliffDocument& document_;
    const std::string_view bytes_;
    const BaseFile& base_;
    const std::size_t forms_;
    std::unordered_map<std::string_view, std::size_t> inBase_;  // the base's units by name
    std::vector<std::size_t> endOf_;                  // where the unit of a base unit ends
    std::vector<std::pair<std::size_t, Edit>> kept_;  // edits of units that stay, with their base unit
    std::size_t keptIndex_ = 0;
    std::vector<Edit> removals_;
    std::vector<std::string> removedSources_, removedTargets_;
    std::unordered_map<const BaseUnit*, std::size_t> renamedFrom_;
    std::string current_;  // a source text being compared
    // New units name their key as the file's units do: po2xliff's file
    // has a "po-reference" in each, and xliff2po reads the key only there.
    KeyReference keyReference_ = KeyReference::None;
};

bool XliffUpdate::GoThroughUnits(ExchangeProblem& problem) {
    for (std::size_t k = 0; k < document_.Units(); ++k) {
        pugi::xml_node node;
        if (!UnitAt(document_, k, node, problem)) return false;
        if (IsHeaderUnit(node)) continue;
        if (PoReference(node)) keyReference_ = KeyReference::PoReference;
        const std::size_t unitStart = document_.Start(node);
        const auto found = inBase_.find(UnitKey(node));
        if (found == inBase_.end() || base_.units[found->second].Plural() != IsPluralGroup(node)) {
            Remove(node, unitStart);
            continue;
        }
        if (endOf_[found->second] != kNone) continue;  // a name met before
        Keep(node, found->second, unitStart);
    }
    return true;
}

// The unit goes; its translation may go to a renamed name.
void XliffUpdate::Remove(const pugi::xml_node& node, std::size_t unitStart) {
    removals_.push_back({BlanksBefore(bytes_, unitStart), ElementEnd(bytes_, unitStart), ""});
    if (IsPluralGroup(node)) return;
    std::string source, target;
    ExchangeProblem ignored;
    const pugi::xml_node targetNode = ChildNamed(node, "target");
    if (!InlineText(ChildNamed(node, "source"), document_, source, ignored) || !targetNode ||
        !InlineText(targetNode, document_, target, ignored) ||
        StateOf(targetNode, target, source) == UnitState::Untranslated)
        return;
    removedSources_.push_back(std::move(source));
    removedTargets_.push_back(std::move(target));
}

// The unit stays, changed as its base unit asks.
void XliffUpdate::Keep(const pugi::xml_node& node, std::size_t index, std::size_t unitStart) {
    const BaseUnit& unit = base_.units[index];
    const std::size_t unitEnd = ElementEnd(bytes_, unitStart);
    endOf_[index] = unitEnd;
    keptIndex_ = index;
    const std::string prefix = PrefixOf(node.name());
    EditTranslate(node, unit, unitStart);
    const std::vector<pugi::xml_node> formUnits = unit.Plural() ? FormUnits(node) : std::vector<pugi::xml_node>{node};
    if (EditSources(unit, formUnits, prefix)) MarkForReview(unit, formUnits, unitStart);
    EditNotes(node, unit, unitEnd, prefix);
}

// translate="no" as the base says.
void XliffUpdate::EditTranslate(const pugi::xml_node& node, const BaseUnit& unit, std::size_t unitStart) {
    const bool translate = std::strcmp(node.attribute("translate").value(), "no") != 0;
    if (translate == unit.Translate()) return;
    const AttributeSpan span = FindAttribute(bytes_, unitStart, "translate");
    if (unit.Translate()) Change(span.begin, span.valueEnd + 1, "");
    else if (span.found) Change(span.valueBegin, span.valueEnd, "no");
    else Change(AttributeInsertion(bytes_, unitStart), AttributeInsertion(bytes_, unitStart), " translate=\"no\"");
}

// A changed source: the new one in (in a plural group: the singular in the
// first form's unit, the plural in the others). Whether any changed.
bool XliffUpdate::EditSources(const BaseUnit& unit, const std::vector<pugi::xml_node>& formUnits,
                              const std::string& prefix) {
    bool sourceChanged = false;
    for (std::size_t i = 0; i < formUnits.size(); ++i) {
        const std::string_view wanted = unit.Plural() && i > 0 ? unit.SourcePlural() : unit.Source();
        const pugi::xml_node source = ChildNamed(formUnits[i], "source");
        ExchangeProblem ignored;
        if (!source || (InlineText(source, document_, current_, ignored) && current_ == wanted)) continue;
        sourceChanged = true;
        PlaceholderMap ids;
        int nextId = 1;
        const std::string content =
                Markup(prefix, [&](pugi::xml_node holder) { AppendInline(holder, wanted, ids, nextId); });
        const std::size_t sourceStart = document_.Start(source);
        const std::size_t sourceTagEnd = TagEnd(bytes_, sourceStart);
        if (SelfClosing(bytes_, sourceTagEnd))
            Change(sourceTagEnd - 2, sourceTagEnd, ">" + content + "</" + source.name() + ">");
        else
            Change(sourceTagEnd, bytes_.rfind('<', ElementEnd(bytes_, sourceStart) - 1), content);
    }
    return sourceChanged;
}

// After a changed source, each translation is marked for review and no
// longer approved.
void XliffUpdate::MarkForReview(const BaseUnit& unit, const std::vector<pugi::xml_node>& formUnits,
                                std::size_t unitStart) {
    bool reviewed = false;
    for (const pugi::xml_node& form : formUnits) {
        const pugi::xml_node target = ChildNamed(form, "target");
        if (!target || !target.first_child()) continue;
        const std::size_t targetStart = document_.Start(target);
        const AttributeSpan state = FindAttribute(bytes_, targetStart, "state");
        if (state.found)
            Change(state.valueBegin, state.valueEnd, "needs-review-translation");
        else
            Change(AttributeInsertion(bytes_, targetStart), AttributeInsertion(bytes_, targetStart),
                   " state=\"needs-review-translation\"");
        const AttributeSpan approved = FindAttribute(bytes_, document_.Start(form), "approved");
        if (approved.found) Change(approved.begin, approved.valueEnd + 1, "");
        reviewed = true;
    }
    if (reviewed && unit.Plural()) {
        const AttributeSpan approved = FindAttribute(bytes_, unitStart, "approved");
        if (approved.found) Change(approved.begin, approved.valueEnd + 1, "");
    }
}

// Developer notes: replaced only when they differ.
void XliffUpdate::EditNotes(const pugi::xml_node& node, const BaseUnit& unit, std::size_t unitEnd,
                            const std::string& prefix) {
    std::vector<pugi::xml_node> notes;
    std::vector<std::string> texts;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (LocalName(child) == "note" && std::strcmp(child.attribute("from").value(), "developer") == 0) {
            notes.push_back(child);
            texts.push_back(AllText(child));
        }
    }
    if (std::equal(texts.begin(), texts.end(), unit.Notes().begin(), unit.Notes().end())) return;
    for (const pugi::xml_node& note : notes) {
        const std::size_t noteStart = document_.Start(note);
        Change(BlanksBefore(bytes_, noteStart), ElementEnd(bytes_, noteStart), "");
    }
    // After the unit's last child; in a plural group before its first unit,
    // where XLIFF's schema has a group's notes.
    std::size_t before = bytes_.rfind('<', unitEnd - 1);
    if (IsPluralGroup(node)) {
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element || LocalName(child) == "note" || LocalName(child) == "context-group")
                continue;
            before = document_.Start(child);
            break;
        }
    }
    const std::size_t at = BlanksBefore(bytes_, before);
    Change(at, at, Markup(prefix, [&](pugi::xml_node holder) {
               for (const std::string_view note : unit.Notes()) AppendNote(holder, std::string(note));
           }));
}

std::size_t XliffUpdate::MatchRenamedUnits() {
    std::vector<const BaseUnit*> added;
    for (std::size_t i = 0; i < base_.units.size(); ++i)
        if (endOf_[i] == kNone && !base_.units[i].Plural()) added.push_back(&base_.units[i]);
    const std::vector<long> matches = MatchRenames(added, removedSources_);
    for (std::size_t a = 0; a < added.size(); ++a)
        if (matches[a] >= 0) renamedFrom_.emplace(added[a], static_cast<std::size_t>(matches[a]));
    return renamedFrom_.size();
}

// A new unit, untranslated or with a renamed name's translation for review,
// in the prefix of the body it goes into.
std::string XliffUpdate::NewUnit(const BaseUnit& unit, const std::string& bodyPrefix) const {
    pugi::xml_document scratch;
    pugi::xml_node created = NewChild(scratch, "trans-unit");
    ExchangeUnit fresh = UntranslatedUnit(unit);
    const auto from = renamedFrom_.find(&unit);
    if (from != renamedFrom_.end()) {
        fresh.state = UnitState::NeedsReview;
        fresh.target = removedTargets_[from->second];
    }
    FillUnit(created, fresh, forms_, keyReference_);
    Prefix(created, bodyPrefix);
    return kUnitIndent + ChildrenMarkup(scratch);
}

std::vector<Edit> XliffUpdate::EditsInBaseOrder() {
    bool adding = false;  // a new unit goes into the body
    for (std::size_t i = 0; i < base_.units.size(); ++i) adding = adding || endOf_[i] == kNone;
    // Added elements take the prefix of the elements they go into.
    const std::string bodyPrefix = PrefixOf(document_.BodyName());
    const std::size_t bodyTagEnd = TagEnd(bytes_, document_.BodyStart());
    const bool emptyBody = SelfClosing(bytes_, bodyTagEnd);
    std::stable_sort(kept_.begin(), kept_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Edit> edits;
    if (emptyBody && adding) edits.push_back({bodyTagEnd - 2, bodyTagEnd, ">"});
    std::size_t insertAt = bodyTagEnd;  // where the next new unit goes
    auto next = kept_.begin();
    for (std::size_t i = 0; i < base_.units.size(); ++i) {
        if (endOf_[i] == kNone) {
            edits.push_back({insertAt, insertAt, NewUnit(base_.units[i], bodyPrefix)});
            continue;
        }
        insertAt = endOf_[i];
        for (; next != kept_.end() && next->first == i; ++next) edits.push_back(std::move(next->second));
    }
    if (emptyBody && adding) edits.push_back({bodyTagEnd, bodyTagEnd, "\n    </" + document_.BodyName() + ">"});
    for (Edit& removal : removals_) edits.push_back(std::move(removal));
    return edits;
}

}  // namespace

bool UpdateUnits(XliffDocument& document, const BaseFile& base, std::string& out, std::size_t& carried,
                 ExchangeProblem& problem) {
    XliffPlurals plurals(document);
    if (!plurals.Read(problem)) return false;
    if (document.BodyStart() == kNone) {
        problem = {document.RootLine(), "the document has no <file> with a <body>"};
        return false;
    }
    XliffUpdate update(document, base, FormCount(plurals.Language()));
    if (!update.GoThroughUnits(problem)) return false;
    carried = update.MatchRenamedUnits();
    std::vector<Edit> edits = update.EditsInBaseOrder();

    const std::string_view bytes = document.Bytes();
    // Nothing to change: the file keeps its bytes, whichever tool wrote it.
    if (edits.empty()) {
        out.assign(bytes);
        return true;
    }
    // Added lines end in CR LF when the file's first line does.
    const std::size_t firstLf = bytes.find('\n');
    out = ApplyEdits(bytes, edits, firstLf != std::string_view::npos && firstLf > 0 && bytes[firstLf - 1] == '\r');
    return true;
}

}  // namespace textresl10n::xliff
