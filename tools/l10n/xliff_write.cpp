#include "l10n/xliff_write.h"

#include <algorithm>
#include <memory>

#include "codec/c_format.h"
#include "codec/literal_body.h"
#include "l10n/xliff_document.h"
#include "l10n/plural_forms.h"
#include "l10n/xliff_file.h"
#include "l10n/xml_checked.h"
#include "runtime/plural_rules.h"

namespace textresl10n {
namespace xliff {
namespace {

using textresgen::LiteralValues;

constexpr const char* kNamespace = "urn:oasis:names:tc:xliff:document:1.2";
// Where the units go in the frame of a new document.
constexpr const char* kUnitsHere = "textresl10n-units";

// The unit's `approved` and its target's `state`: as its file had them
// when they still say what the unit's state is, else this program's own
// (a translation approved="yes" with state="translated", one for review
// state="needs-review-translation", one kept untranslated state="new").
const char* ApprovedOf(const ExchangeUnit& data) {
    if (data.approved == XliffApproved::No) return "no";
    if (data.state != UnitState::Translated) return nullptr;
    return data.approved == XliffApproved::Yes || !data.xliff ? "yes" : nullptr;
}

const char* TargetStateOf(const ExchangeUnit& data) {
    if (data.xliffState != 0 && StateOfXliffWord(kXliffStates[data.xliffState]) == data.state)
        return kXliffStates[data.xliffState];
    switch (data.state) {
        case UnitState::Translated: return "translated";
        case UnitState::NeedsReview: return "needs-review-translation";
        default: return "new";
    }
}

void AddTarget(pugi::xml_node unit, const ExchangeUnit& data, std::string_view text, PlaceholderMap& ids,
               int& nextId) {
    pugi::xml_node target = NewChild(unit, "target");
    AddAttribute(target, "state", TargetStateOf(data));
    NextText(ids);
    AppendInline(target, text, ids, nextId);
}

// A plural message: a group of `forms` trans-units ("KEY[i]", each on one
// line), the first with the singular as its source, the others with the
// plural, each holding the form of the i-th integer category. XLIFF's
// schema puts a group's notes before its units and has no `approved` on a
// group: each unit is approved.
// po2xliff's location of a PO entry, on a line of its own.
void AppendPoReference(pugi::xml_node unit, const std::string& key) {
    AppendText(unit, kChildIndent);
    pugi::xml_node group = NewChild(unit, "context-group");
    AddAttribute(group, "name", "po-reference");
    AddAttribute(group, "purpose", "location");
    pugi::xml_node context = NewChild(group, "context");
    AddAttribute(context, "context-type", "sourcefile");
    AppendText(context, key.c_str());
}

void FillGroup(pugi::xml_node group, const ExchangeUnit& data, std::size_t forms, KeyReference reference) {
    AddAttribute(group, "id", data.key.c_str());
    AddAttribute(group, "resname", data.key.c_str());
    AddAttribute(group, "restype", kPluralGroup);
    if (!data.translate) AddAttribute(group, "translate", "no");
    if (reference == KeyReference::PoReference) AppendPoReference(group, data.key);
    for (const std::string& note : data.notes) AppendNote(group, note);
    PlaceholderMap ids;
    int nextId = 1;
    for (std::size_t i = 0; i < std::max<std::size_t>(forms, 1); ++i) {
        const std::string id = data.key + "[" + std::to_string(i) + "]";
        const std::string target =
                i < data.forms.size() && data.state != UnitState::Untranslated ? data.forms[i].text : "";
        AppendText(group, kChildIndent);
        pugi::xml_node unit = NewChild(group, "trans-unit");
        AddAttribute(unit, "id", id.c_str());
        AddAttribute(unit, "xml:space", "preserve");
        if (const char* approved = ApprovedOf(data); approved && !target.empty()) AddAttribute(unit, "approved", approved);
        NextText(ids);
        AppendInline(NewChild(unit, "source"), i == 0 ? data.source : data.sourcePlural, ids, nextId);
        if (!target.empty()) AddTarget(unit, data, target, ids, nextId);
    }
    AppendText(group, kUnitIndent);
}

}  // namespace

void NextText(PlaceholderMap& ids) {
    for (auto& entry : ids) entry.second.used = 0;
}

void AppendInline(pugi::xml_node element, std::string_view utf8, PlaceholderMap& ids,
                  int& nextId) {
    LiteralValues values;
    std::size_t bad = 0;
    textresgen::Utf8ToValues(utf8, values, bad);
    // Spans to protect: printf directives of a valid format, {n} placeholders.
    const auto spans = textresgen::PlaceholderSpans(values);

    std::string pending;
    const auto flush = [&] {
        if (!pending.empty()) SetValue(NewChild(element, pugi::node_pcdata), pending.c_str());
        pending.clear();
    };
    const auto addPh = [&](const std::string& code, const char* ctype) {
        flush();
        pugi::xml_node ph = NewChild(element, "ph");
        // The k-th occurrence of a code in a translation takes the id of its
        // k-th occurrence in the source, so that CAT tools pair them up.
        PlaceholderIds& known = ids[std::string(ctype) + '\n' + code];
        int id;
        if (known.used < known.ids.size()) {
            id = known.ids[known.used];
        } else {
            id = nextId++;
            known.ids.push_back(id);
        }
        ++known.used;
        AddAttribute(ph, "id", id);
        AddAttribute(ph, "ctype", ctype);
        SetValue(NewChild(ph, pugi::node_pcdata), code.c_str());
    };
    std::size_t span = 0;
    for (std::size_t i = 0; i < values.size();) {
        if (span < spans.size() && spans[span].first == i) {
            std::string code;
            textresgen::ValuesToUtf8(std::u32string_view(values).substr(i, spans[span].second - i), code);
            bool plain = true;
            for (const char c : code) plain = plain && static_cast<unsigned char>(c) >= 0x20;
            if (plain) {
                addPh(code, code[0] == '%' ? "x-c-format" : "x-placeholder");
                i = spans[span++].second;
                continue;
            }
            ++span;
        }
        const char32_t c = values[i++];
        if (c == U'\r' || (c < 0x20 && c != U'\t' && c != U'\n') || c == 0xFFFE || c == 0xFFFF) {
            const textresgen::WideString escape = textresgen::EncodeLiteralBody(LiteralValues(1, c));
            addPh(std::string(escape.begin(), escape.end()), kCharType);
        } else {
            std::string one;
            textresgen::ValuesToUtf8(LiteralValues(1, c), one);
            pending += one;
        }
    }
    flush();
}

void AppendText(pugi::xml_node parent, const char* text) { SetValue(NewChild(parent, pugi::node_pcdata), text); }

void AppendNote(pugi::xml_node unit, const std::string& note) {
    AppendText(unit, kChildIndent);
    pugi::xml_node element = NewChild(unit, "note");
    AddAttribute(element, "from", "developer");
    if (!note.empty()) AppendText(element, note.c_str());
}

void FillUnit(pugi::xml_node unit, const ExchangeUnit& data, std::size_t forms, KeyReference reference) {
    if (data.plural) {
        SetName(unit, "group");
        FillGroup(unit, data, forms, reference);
        return;
    }
    AddAttribute(unit, "id", data.key.c_str());
    AddAttribute(unit, "resname", data.key.c_str());
    AddAttribute(unit, "xml:space", "preserve");
    if (!data.translate) AddAttribute(unit, "translate", "no");
    // translate-toolkit (pocount, xliff2po) counts a unit as translated only
    // when it is approved, whatever its target's state.
    if (const char* approved = ApprovedOf(data)) AddAttribute(unit, "approved", approved);
    PlaceholderMap ids;
    int nextId = 1;
    AppendText(unit, kChildIndent);
    AppendInline(NewChild(unit, "source"), data.source, ids, nextId);
    // An untranslated unit keeps a text its file had (state="new").
    if (data.state != UnitState::Untranslated || !data.target.empty()) {
        AppendText(unit, kChildIndent);
        AddTarget(unit, data, data.target, ids, nextId);
    }
    if (reference == KeyReference::PoReference) AppendPoReference(unit, data.key);
    for (const std::string& note : data.notes) AppendNote(unit, note);
    AppendText(unit, kUnitIndent);
}

std::string ChildrenMarkup(const pugi::xml_node& holder) {
    std::string out;
    StringWriter writer(out);
    for (pugi::xml_node child = holder.first_child(); child; child = child.next_sibling())
        child.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return out;
}

namespace {

// One unit as this program writes them, made in a tree of its own.
void PrintUnit(pugi::xml_document& scratch, const ExchangeUnit& unit, std::size_t forms, pugi::xml_writer& writer) {
    scratch.reset();
    pugi::xml_node node = NewChild(scratch, "trans-unit");
    FillUnit(node, unit, forms);
    node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
}

}  // namespace
}  // namespace xliff

using xliff::AddAttribute;
using xliff::AppendText;
using xliff::kChildIndent;
using xliff::kHeaderUnit;
using xliff::kNamespace;
using xliff::kUnitIndent;
using xliff::kUnitsHere;
using xliff::NewChild;
using xliff::PrintUnit;
using xliff::SetName;
using xliff::StringWriter;

// The document without its units, a processing instruction where they go;
// each unit is then made and printed on its own, so that no tree of the
// whole document is held.
struct XliffWriter::Frame {
    pugi::xml_document scratch;  // one unit's tree at a time
    std::size_t forms = 0;
    bool plurals = false;
    std::string after;           // the document after its units
};

XliffWriter::XliffWriter(const ExchangeHeader& header, bool plurals, std::string& out)
    : frame_(std::make_unique<Frame>()), out_(out) {
    frame_->forms = FormCount(header.targetLanguage);
    frame_->plurals = plurals;
    pugi::xml_document document;
    pugi::xml_node root = NewChild(document, "xliff");
    AddAttribute(root, "version", "1.2");
    AddAttribute(root, "xmlns", kNamespace);
    AppendText(root, "\n  ");
    pugi::xml_node file = NewChild(root, "file");
    AddAttribute(file, "original", header.original.c_str());
    AddAttribute(file, "source-language", header.sourceLanguage.c_str());
    AddAttribute(file, "target-language", header.targetLanguage.c_str());
    AddAttribute(file, "datatype", "plaintext");
    AppendText(file, "\n    ");
    pugi::xml_node body = NewChild(file, "body");
    if (plurals) {
        // A document with plural messages takes gettext's shape, as po2xliff
        // writes it, so that xliff2po makes them plural PO entries again: the
        // header unit with the language and its Plural-Forms. (Not po2xliff's
        // "po-reference" context of each key: XLIFF's schema allows one
        // context-group of a name per <file>.)
        std::string fields = "Language: " + header.targetLanguage + "\nPlural-Forms: " +
                             (header.targetLanguage.empty() ? std::string("nplurals=INTEGER; plural=EXPRESSION;")
                                                            : textresgen::plural::GettextPluralForms(header.targetLanguage)) +
                             "\nMIME-Version: 1.0\nContent-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: 8bit\n";
        AppendText(body, kUnitIndent);
        pugi::xml_node unit = NewChild(body, "trans-unit");
        AddAttribute(unit, "id", "0");  // no key: keys are C++ names
        AddAttribute(unit, "xml:space", "preserve");
        AddAttribute(unit, "restype", kHeaderUnit);
        AddAttribute(unit, "approved", "no");
        AppendText(unit, kChildIndent);
        AppendText(NewChild(unit, "source"), fields.c_str());
        AppendText(unit, kChildIndent);
        AppendText(NewChild(unit, "target"), fields.c_str());
        AppendText(unit, kUnitIndent);
    }
    SetName(NewChild(body, pugi::node_pi), kUnitsHere);
    AppendText(body, "\n    ");
    AppendText(file, "\n  ");
    AppendText(root, "\n");
    std::string frame;
    StringWriter frameWriter(frame);
    root.print(frameWriter, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string here = std::string("<?") + kUnitsHere + "?>";
    const std::size_t at = frame.find(here);
    out_.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    out_.append(frame, 0, at);
    frame_->after = frame.substr(at + here.size());
}

XliffWriter::~XliffWriter() = default;

void XliffWriter::Add(const ExchangeUnit& unit) {
    out_.append(kUnitIndent);
    StringWriter writer(out_);
    PrintUnit(frame_->scratch, unit, frame_->forms, writer);
}

void XliffWriter::Finish() {
    out_.append(frame_->after);
    out_ += "\n";
}

}  // namespace textresl10n
