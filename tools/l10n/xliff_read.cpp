#include "l10n/xliff_read.h"

#include <cstring>
#include <unordered_map>

#include "codec/literal_body.h"
#include "l10n/base_comparison.h"
#include "l10n/message_text.h"

namespace textresl10n::xliff {
namespace {

// The unit's state in XLIFF's words, kept for export.
void KeepWords(const pugi::xml_node& transUnit, const pugi::xml_node& target, ExchangeUnit& unit) {
    unit.xliff = true;
    const std::string_view approved = transUnit.attribute("approved").value();
    unit.approved = approved == "yes" ? XliffApproved::Yes : approved == "no" ? XliffApproved::No : XliffApproved::None;
    unit.xliffState = target ? XliffStateIndex(target.attribute("state").value()) : 0;
}

using textresgen::LiteralValues;

// A plural group as one unit, its forms given their categories.
bool ReadPluralGroup(const pugi::xml_node& group, const XliffDocument& document, XliffPlurals& plurals,
                     ExchangeUnit& unit, ExchangeProblem& problem) {
    unit.plural = true;
    std::vector<std::string> forms;
    std::vector<std::size_t> formLines;
    bool fuzzy = false;
    const std::vector<pugi::xml_node> units = FormUnits(group);
    if (units.empty()) {
        problem = {unit.line, "the plural group " + Quoted(unit.key) + " holds no trans-unit"};
        return false;
    }
    for (std::size_t i = 0; i < units.size(); ++i) {
        const pugi::xml_node source = ChildNamed(units[i], "source");
        if (!source) {
            problem = {document.Line(units[i]), "a trans-unit of " + Quoted(unit.key) + " has no <source>"};
            return false;
        }
        std::string text;
        if (!InlineText(source, document, text, problem)) return false;
        if (i == 0) unit.source = text;
        if (i == 1) unit.sourcePlural = text;
        const pugi::xml_node target = ChildNamed(units[i], "target");
        std::string translation;
        if (target && !InlineText(target, document, translation, problem)) return false;
        const UnitState state = StateOf(target, translation, text);
        if (i == 0) KeepWords(units[i], target, unit);
        if (state == UnitState::Untranslated) translation.clear();
        fuzzy = fuzzy || state == UnitState::NeedsReview;
        forms.push_back(std::move(translation));
        formLines.push_back(document.Line(target ? target : units[i]));
    }
    unit.targetLine = formLines.front();
    if (!plurals.Read(problem)) return false;
    bool any = false;
    for (const std::string& form : forms) any = any || !form.empty();
    if (plurals.Language().empty()) {
        if (any) {
            problem = {unit.line, "the document names no target language, so the plural forms of " + Quoted(unit.key) +
                                          " cannot be matched to the language's plural categories"};
            return false;
        }
    } else {
        AssignForms(plurals.Map(), forms, formLines, unit);
    }
    unit.state = PluralState(unit, fuzzy);
    return true;
}

}  // namespace

bool InlineText(const pugi::xml_node& element, const XliffDocument& document, std::string& text,
                ExchangeProblem& problem) {
    text.clear();
    bool ok = true;
    WalkBelow(element, [&](const pugi::xml_node& node) {
        if (!ok) return false;
        switch (node.type()) {
            case pugi::node_pcdata:
            case pugi::node_cdata: text += node.value(); return false;
            case pugi::node_element: break;
            default: return false;  // comments, processing instructions
        }
        const std::string_view name = LocalName(node);
        if (name == "g" || name == "mrk") return true;
        if (name == "ph" || name == "bpt" || name == "ept" || name == "it") {
            const std::string code = AllText(node);
            if (std::strcmp(node.attribute("ctype").value(), kCharType) != 0) {
                text += code;
                return false;
            }
            std::u16string units;
            for (const char c : code) units += static_cast<char16_t>(static_cast<unsigned char>(c));
            LiteralValues values;
            textresgen::LiteralProblem literal;
            std::string utf8;
            if (!textresgen::DecodeLiteralBody(units, values, literal) || values.size() != 1 ||
                !textresgen::ValuesToUtf8(values, utf8)) {
                problem.line = document.Line(node);
                problem.message = "a <ph ctype=\"x-char\"> must hold the C++ escape of one character, not " + Quoted(code);
                ok = false;
                return false;
            }
            text += utf8;
            return false;
        }
        problem.line = document.Line(node);
        problem.message = name == "x" || name == "bx" || name == "ex"
                              ? "the inline element <" + std::string(name) + "/> stands for code this file does not hold"
                              : "the element " + Quoted(name) + " is not expected inside a text";
        ok = false;
        return false;
    });
    return ok;
}

pugi::xml_node PoReference(const pugi::xml_node& unit) {
    for (pugi::xml_node group = unit.first_child(); group; group = group.next_sibling()) {
        if (LocalName(group) != "context-group" || std::strcmp(group.attribute("name").value(), "po-reference") != 0)
            continue;
        for (pugi::xml_node context = group.first_child(); context; context = context.next_sibling()) {
            if (LocalName(context) == "context" &&
                std::strcmp(context.attribute("context-type").value(), "sourcefile") == 0)
                return context;
        }
    }
    return {};
}

std::string UnitKey(const pugi::xml_node& unit) {
    const char* resname = unit.attribute("resname").value();
    if (*resname != '\0') return resname;
    if (const pugi::xml_node reference = PoReference(unit)) return AllText(reference);
    return unit.attribute("id").value();
}

UnitState StateOf(const pugi::xml_node& target, const std::string& text, const std::string& source) {
    if (!target) return source.empty() ? UnitState::Translated : UnitState::Untranslated;
    const UnitState state = StateOfXliffWord(target.attribute("state").value());
    if (state == UnitState::Untranslated || (text.empty() && !source.empty())) return UnitState::Untranslated;
    return state;
}

std::vector<pugi::xml_node> FormUnits(const pugi::xml_node& group) {
    std::vector<pugi::xml_node> units;
    for (pugi::xml_node child = group.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && LocalName(child) == "trans-unit") units.push_back(child);
    return units;
}

bool UnitAt(XliffDocument& document, std::size_t k, pugi::xml_node& node, ExchangeProblem& problem) {
    if (document.Unit(k, node)) return true;
    problem = {0, "a unit is not well-formed XML"};
    return false;
}

bool ReadUnits(XliffDocument& document, std::vector<ExchangeUnit>& units, ExchangeProblem& problem) {
    units.clear();
    units.reserve(document.Units());
    // The keys met so far, viewed in `units`, which the reservation keeps in place.
    std::unordered_map<std::string_view, std::size_t> seen;
    seen.reserve(document.Units());
    XliffPlurals plurals(document);
    std::string text;  // the text being read, then copied into its unit at its size
    for (std::size_t k = 0; k < document.Units(); ++k) {
        pugi::xml_node node;
        if (!UnitAt(document, k, node, problem)) return false;
        if (IsHeaderUnit(node)) continue;
        ExchangeUnit unit;
        unit.line = document.Line(node);
        unit.key = UnitKey(node);
        const auto at = seen.find(unit.key);
        if (at != seen.end()) {
            problem = {unit.line, "the key " + Quoted(unit.key) + " appears twice (first at line " +
                                      std::to_string(at->second) + ")"};
            return false;
        }
        unit.translate = std::strcmp(node.attribute("translate").value(), "no") != 0;
        for (pugi::xml_node note = node.first_child(); note; note = note.next_sibling())
            if (LocalName(note) == "note") unit.notes.push_back(AllText(note));
        if (IsPluralGroup(node)) {
            if (!ReadPluralGroup(node, document, plurals, unit, problem)) return false;
        } else {
            const pugi::xml_node source = ChildNamed(node, "source");
            if (!source) {
                problem = {unit.line, "the trans-unit " + Quoted(unit.key) + " has no <source>"};
                return false;
            }
            if (!InlineText(source, document, text, problem)) return false;
            unit.source = text;
            const pugi::xml_node target = ChildNamed(node, "target");
            if (target) {
                if (!InlineText(target, document, text, problem)) return false;
                unit.target = text;
            }
            unit.targetLine = target ? document.Line(target) : unit.line;
            unit.state = StateOf(target, unit.target, unit.source);
            KeepWords(node, target, unit);
        }
        units.push_back(std::move(unit));
        seen.emplace(units.back().key, units.back().line);
    }
    return true;
}

}  // namespace textresl10n::xliff
