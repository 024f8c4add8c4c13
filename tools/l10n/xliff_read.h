#pragma once

#include <string>
#include <vector>

#include "l10n/exchange_unit.h"
#include "l10n/plural_forms.h"
#include "l10n/xliff_document.h"

// Reading the units of an XLIFF document.
namespace textresl10n::xliff {

// The text of a <source> or <target>: character data as it is, <g> and
// <mrk> looked into, the native code of <ph>, <bpt>, <ept> and <it> as text,
// a <ph ctype="x-char"> as the character its escape names. False with the
// problem for inline code that carries no text or an unknown element.
bool InlineText(const pugi::xml_node& element, const XliffDocument& document, std::string& text,
                ExchangeProblem& problem);
// po2xliff's location of a unit's PO entry: the <context> of its
// "po-reference" context group, where xliff2po reads the key (null: none).
pugi::xml_node PoReference(const pugi::xml_node& unit);
// The key of a trans-unit: resname, else po2xliff's location, else id.
std::string UnitKey(const pugi::xml_node& unit);
// The state of a unit's translation, from its <target> (null: none).
UnitState StateOf(const pugi::xml_node& target, const std::string& text, const std::string& source);
// The trans-units of a plural group: its forms, in order.
std::vector<pugi::xml_node> FormUnits(const pugi::xml_node& group);

// The language of the document's plural forms and how they map to its
// categories: the <file>'s target-language, else the Language of the
// gettext header unit po2xliff keeps, whose Plural-Forms formula (else
// CLDR's for the language) numbers the forms.
class XliffPlurals {
public:
    explicit XliffPlurals(XliffDocument& document) : document_(document) {}

    bool Read(ExchangeProblem& problem) {
        if (read_) return true;
        read_ = true;
        std::string header;
        const pugi::xml_node headerUnit = document_.HeaderUnit();
        hasHeader_ = headerUnit;
        if (headerUnit) {
            pugi::xml_node text = ChildNamed(headerUnit, "target");
            header = AllText(text ? text : ChildNamed(headerUnit, "source"));
        }
        std::size_t ignored = 0;
        language_ = document_.FileLanguage();
        if (language_.empty()) HeaderField(header, "Language", language_, ignored);
        if (language_.empty()) return true;
        PluralFormula formula = LanguageFormula(language_);
        std::string value, error;
        const std::size_t line = headerUnit ? document_.Line(headerUnit) : 0;
        if (HeaderField(header, "Plural-Forms", value, ignored) && !formula.Parse(value, error)) {
            problem = {line, error};
            return false;
        }
        if (!FormsOfCategories(language_, formula, map_, error)) {
            problem = {line, error};
            return false;
        }
        return true;
    }

    const std::string& Language() const { return language_; }
    bool HasHeader() const { return hasHeader_; }
    const CategoryForms& Map() const { return map_; }

private:
    XliffDocument& document_;
    bool read_ = false;
    bool hasHeader_ = false;
    std::string language_;
    CategoryForms map_;
};

// The k-th unit of a document read whole or in pieces; false with the
// problem when its piece is not well-formed.
bool UnitAt(XliffDocument& document, std::size_t k, pugi::xml_node& node, ExchangeProblem& problem);
// The units of a document read whole or in pieces.
bool ReadUnits(XliffDocument& document, std::vector<ExchangeUnit>& units, ExchangeProblem& problem);

}  // namespace textresl10n::xliff
