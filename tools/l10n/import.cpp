#include "l10n/import.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>

#include "check/file_check.h"
#include "codec/c_format.h"
#include "codec/literal_body.h"
#include "l10n/base_comparison.h"
#include "l10n/definition_line.h"
#include "l10n/import_findings.h"
#include "l10n/key_index.h"
#include "l10n/message_text.h"
#include "l10n/plural_forms.h"
#include "l10n/state_markers.h"
#include "text/memory_bytes.h"
#include "text/utf16_writer.h"

namespace textresl10n {

namespace {

using textresgen::LiteralValues;
using textresgen::cli::Severity;

// A key becomes the name part of one definition line: it must stay one
// line and end before the '='.
bool CheckKey(const std::string& key, std::string& why) {
    LiteralValues values;
    std::size_t bad = 0;
    if (key.empty()) {
        why = "the key is empty";
        return false;
    }
    if (!textresgen::Utf8ToValues(key, values, bad)) {
        why = "the key is not UTF-8";
        return false;
    }
    for (const char32_t c : values) {
        if (c == U'=' || c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0xFEFF || c == 0xFFFE ||
            c == 0xFFFF || c == 0x2028 || c == 0x2029) {
            why = "the key " + Quoted(key) + " is no dotted name: it holds '=', a line break or a control character";
            return false;
        }
    }
    return true;
}

// One member of an imported definition.
struct ImportedEntry {
    std::string_view key;
    std::string_view text;           // what the library gets, UTF-8
    UnitState state;                 // Translated, or why `text` is the source text
    std::string_view translation;    // the translator's text; empty: none
    std::size_t line;                  // its translation's line in the exchange file (0: none)
    std::size_t keyLine;               // its key's line
    const ExchangeUnit* unit = nullptr;  // the file's unit, whose XLIFF words a marker keeps
};

ExchangeProblem Warning(std::size_t line, std::string message) {
    return ExchangeProblem(line, std::move(message), Severity::Warning);
}


// Decodes a unit's texts, which must be UTF-8, for the checks of its
// arguments; false, with the error, when its key or a text is unusable.
bool ReadUnitTexts(const ExchangeUnit& unit, LiteralValues& source, LiteralValues& target,
                   LiteralValues& pluralSource, std::vector<ExchangeProblem>& errors) {
    std::string why;
    if (!CheckKey(unit.key, why)) {
        errors.push_back({unit.line, why});
        return false;
    }
    std::size_t bad = 0;
    LiteralValues form;
    bool utf8 = textresgen::Utf8ToValues(unit.source, source, bad) &&
                textresgen::Utf8ToValues(unit.target, target, bad) &&
                textresgen::Utf8ToValues(unit.sourcePlural.empty() ? unit.source : unit.sourcePlural, pluralSource,
                                         bad);
    for (const PluralForm& plural : unit.forms) utf8 = utf8 && textresgen::Utf8ToValues(plural.text, form, bad);
    if (!utf8) errors.push_back({unit.line, "the text of " + Quoted(unit.key) + " is not UTF-8"});
    // U+0000 ends the text at run time: what follows would never show.
    const auto cut = [](const std::string& text) {
        const std::size_t nul = text.find('\0');
        return nul != std::string::npos && text.find_first_not_of('\0', nul) != std::string::npos;
    };
    constexpr const char* kNul = " holds U+0000 with text after it, which ends the text at run time: what follows "
                                 "it never shows";
    bool nul = utf8 && cut(unit.target);
    if (nul) errors.push_back({unit.targetLine, "the translation of " + Quoted(unit.key) + kNul});
    for (const PluralForm& plural : unit.forms) {
        if (!utf8 || !cut(plural.text)) continue;
        errors.push_back({plural.line, "the translation of " + Quoted(unit.key) + " (" + plural.category + ")" + kNul});
        nul = true;
    }
    return utf8 && !nul;
}

// A translated unit's translation (each filled-in form of a plural) must
// take the arguments of its own source.
void CheckUnitArguments(const ExchangeUnit& unit, const LiteralValues& source, const LiteralValues& target,
                        const LiteralValues& pluralSource, std::vector<ExchangeProblem>& errors) {
    if (unit.state != UnitState::Translated) return;
    if (!unit.plural) {
        for (const std::string& mismatch : PlaceholderMismatches(source, target))
            errors.push_back({unit.targetLine, Quoted(unit.key) + ": " + mismatch});
        return;
    }
    // Without its plural source (an XLIFF group of one form) the reference
    // is the singular, which may leave out the count ("one file"): a form is
    // held to it only when it is a format; else it is compared with itself,
    // which finds only what no reference allows (%n).
    const bool reference = !unit.sourcePlural.empty() || textresgen::ParsePrintfFormat(pluralSource).IsFormat();
    for (const PluralForm& plural : unit.forms) {
        if (plural.text.empty()) continue;
        const LiteralValues form = Values(plural.text);
        for (const std::string& mismatch :
             PluralFormMismatches(reference ? pluralSource : form, form, FormTakesOneCount(&unit, plural.category)))
            errors.push_back({plural.line, Quoted(unit.key) + " (" + plural.category + "): " + mismatch});
    }
}

// What the translator got wrong within the file is an error, whatever
// the base says: a key that is no dotted name, a text that is not UTF-8,
// a translation that takes other arguments than its own source.
// Texts stay UTF-8 in their units; each is decoded only while it is
// checked and again when it is written, so that memory stays near the
// file's size. A plural unit with forms gives the integer categories of
// the file's language (the last one's count).
void CheckUnitOwnRules(const ExchangeUnit& unit, std::vector<std::string>& fileCategories,
                       std::vector<ExchangeProblem>& errors) {
    LiteralValues source, target, pluralSource;
    if (!ReadUnitTexts(unit, source, target, pluralSource, errors)) return;
    if (unit.plural && !unit.forms.empty()) {
        fileCategories.clear();
        for (const PluralForm& plural : unit.forms) fileCategories.push_back(plural.category);
    }
    CheckUnitArguments(unit, source, target, pluralSource, errors);
}

// The definition file of an import (UTF-16LE), written entry by entry as
// the entries are made: each that took a source text under its state's
// marker line. Keeps each of its lines' place in the exchange file.
class DefinitionWriter {
public:
    explicit DefinitionWriter(textresgen::ByteSink& out);
    void Add(const ImportedEntry& entry);
    void Close() { writer_.Close(); }

    std::size_t Entries() const { return entries_; }
    std::size_t FellBack() const { return fellBack_; }
    // By definition line (1-based; element 0 stands for no line).
    std::vector<UnitOrigin>& Origins() { return origins_; }

private:
    void Line(const textresgen::WideString& line, const ImportedEntry& entry) {
        writer_.PrintLine(line);
        origins_.push_back(Origin(entry));
    }
    static UnitOrigin Origin(const ImportedEntry& entry) {
        return {static_cast<std::uint32_t>(entry.line), static_cast<std::uint32_t>(entry.keyLine)};
    }

    textresgen::Utf16Writer writer_;
    std::vector<UnitOrigin> origins_;
    std::size_t entries_ = 0;
    std::size_t fellBack_ = 0;
};

// Hands the writer's bytes on to a sink the caller keeps (and closes).
class ForwardingSink final : public textresgen::ByteSink {
public:
    explicit ForwardingSink(textresgen::ByteSink& out) : out_(out) {}
    bool Write(const unsigned char* data, std::size_t size) override { return out_.Write(data, size); }
    bool Close() override { return true; }
    void Discard() override {}

private:
    textresgen::ByteSink& out_;
};

DefinitionWriter::DefinitionWriter(textresgen::ByteSink& out) : origins_(1) {
    writer_.Open(std::make_unique<ForwardingSink>(out));
}

void DefinitionWriter::Add(const ImportedEntry& entry) {
    ++entries_;
    if (entry.unit && XliffWordsKept(*entry.unit, entry.state)) Line(XliffMarker(*entry.unit), entry);
    if (entry.state == UnitState::NeedsReview && entry.unit && entry.unit->previous && !entry.unit->plural) {
        if (!entry.unit->previous->key.empty()) Line(PreviousKeyMarker(entry.unit->previous->key), entry);
        Line(PreviousSourceMarker(entry.unit->previous->source), entry);
    }
    if (entry.state != UnitState::Translated) {
        Line(StateMarker(entry.state, entry.translation), entry);
        ++fellBack_;
    }
    PrintDefinition(writer_, entry.key, Values(entry.text));
    origins_.push_back(Origin(entry));
}

// The members of the imported definition in order, each with the text it
// takes and why, written as they are made; the warnings of the units that
// fall back go to the result.
class ImportedEntries {
public:
    ImportedEntries(std::vector<std::string> fileCategories, ImportResult& result, DefinitionWriter& out)
        : fileCategories_(std::move(fileCategories)), result_(result), out_(out) {}

    // Without a base: the members of one unit, in file order.
    void AddUnit(const ExchangeUnit& unit);
    // With the base: the members of one of its units, in its order, and
    // the file's unit of its name (null: none).
    void AddAgainstBase(const BaseUnit& current, const ExchangeUnit* translation);

private:
    void AddPlural(std::string_view key, const ExchangeUnit* unit, const BaseUnit* current, UnitState state);
    std::vector<std::string> PluralCategories(const ExchangeUnit* unit, const BaseUnit* current) const;
    void AddPluralForm(std::string_view key, const std::string& category, const ExchangeUnit* unit,
                       const BaseUnit* current, UnitState state);
    void AddMissing(const BaseUnit& current);
    void AddPluralAgainstBase(const ComparedUnit& compared);
    void AddFixedAgainstBase(const BaseUnit& current, const ExchangeUnit& unit);
    void AddTextAgainstBase(const ComparedUnit& compared);

    void Warn(std::size_t line, std::string message) { result_.AddWarning(Warning(line, std::move(message))); }
    void Emit(const ImportedEntry& entry) {
        out_.Add(entry);
        last_ = entry;
    }

    ImportedEntry last_{};
    std::deque<std::string> names_;  // the names of one plural message's members, which entries point into
    std::vector<std::string> fileCategories_;
    ImportResult& result_;
    DefinitionWriter& out_;
};

void ImportedEntries::AddUnit(const ExchangeUnit& unit) {
    bool translated = unit.state == UnitState::Translated;
    if (translated && !unit.translate && unit.target != unit.source) {
        Warn(unit.targetLine, Quoted(unit.key) + " is marked not to translate; its source text is used");
        translated = false;
    }
    if (unit.plural) {
        AddPlural(unit.key, &unit, nullptr, unit.translate ? unit.state : UnitState::Translated);
        return;
    }
    Emit({unit.key, translated ? unit.target : unit.source, unit.state, unit.target, unit.targetLine, unit.line,
          &unit});
}

void ImportedEntries::AddAgainstBase(const BaseUnit& current, const ExchangeUnit* translation) {
    const ComparedUnit compared{&current, translation, translation && SourceChanged(current, *translation)};
    if (!translation) AddMissing(current);
    else if (current.Plural()) AddPluralAgainstBase(compared);
    else if (!current.Translate()) AddFixedAgainstBase(current, *translation);
    else AddTextAgainstBase(compared);
}

// A plural message's members: one per integer category of the file's
// language (its own unit's, else any plural unit's; else the base's
// members as they are), and `other` after them, where it is none of
// them, with the last one's text.
void ImportedEntries::AddPlural(std::string_view key, const ExchangeUnit* unit, const BaseUnit* current,
                                UnitState state) {
    names_.clear();
    const std::vector<std::string> categories = PluralCategories(unit, current);
    for (const std::string& category : categories) AddPluralForm(key, category, unit, current, state);
    if (std::find(categories.begin(), categories.end(), "other") == categories.end()) {
        names_.push_back(std::string(key) + ".other");
        ImportedEntry other = last_;
        other.key = names_.back();
        Emit(other);
    }
}

std::vector<std::string> ImportedEntries::PluralCategories(const ExchangeUnit* unit, const BaseUnit* current) const {
    std::vector<std::string> categories = fileCategories_;
    if (unit && !unit->forms.empty()) {
        categories.clear();
        for (const PluralForm& plural : unit->forms) categories.push_back(plural.category);
    }
    if (categories.empty() && current)
        for (const BaseForm form : current->Forms()) categories.emplace_back(form.category);
    if (categories.empty()) categories = {"one", "other"};
    return categories;
}

// A form takes the translation when the unit is usable (`state`
// Translated) and the form is filled in and takes the plural source's
// arguments; otherwise its fallback: the base's member of its category,
// else the base's (or without a base, the file's) plural, the singular
// for "one".
void ImportedEntries::AddPluralForm(std::string_view key, const std::string& category, const ExchangeUnit* unit,
                                    const BaseUnit* current, UnitState state) {
    names_.push_back(std::string(key) + "." + category);
    std::string_view translation;
    std::size_t line = unit ? unit->targetLine : 0;
    if (unit) {
        for (const PluralForm& plural : unit->forms) {
            if (plural.category != category) continue;
            translation = plural.text;
            line = plural.line;
        }
    }
    std::string_view fallback;
    if (current) {
        const std::optional<BaseForm> form = current->Form(category);
        fallback = form ? form->source : current->SourcePlural();
    } else {
        fallback = category == "one" || unit->sourcePlural.empty() ? unit->source : unit->sourcePlural;
    }
    UnitState formState = state;
    if (current && !current->Translate()) {
        translation = {};  // the base's text, whatever the file holds
    } else if (state == UnitState::Translated) {
        std::string reason;
        if (translation.empty()) {
            reason = "has no translation for the form '" + category + "'";
            formState = UnitState::Untranslated;
        } else if (current) {
            const std::vector<std::string> mismatches = PluralFormMismatches(
                    Values(current->SourcePlural()), Values(translation), FormTakesOneCount(unit, category));
            if (!mismatches.empty()) {
                reason = "(" + category + ") does not take the base text's arguments: " + mismatches.front();
                formState = UnitState::NeedsReview;
            }
        }
        if (!reason.empty())
            Warn(line, Quoted(key) + " " + reason + "; the " + (current ? "base" : "source") + " text is used");
    }
    const std::string_view text = formState == UnitState::Translated && !translation.empty() ? translation : fallback;
    Emit({names_.back(), text, formState, translation, line, unit ? unit->line : 0, unit});
}

// A base member the file lacks takes the base's text.
void ImportedEntries::AddMissing(const BaseUnit& current) {
    if (current.Translate()) Warn(0, Quoted(current.Key()) + " is not in the file; the base text is used");
    const UnitState state = current.Translate() ? UnitState::Untranslated : UnitState::Translated;
    if (current.Plural()) AddPlural(current.Key(), nullptr, &current, state);
    else Emit({current.Key(), current.Source(), state, {}, 0, 0});
}

// Not to translate, missing, untranslated, for review or stale: every
// member of the plural message takes the base's text.
void ImportedEntries::AddPluralAgainstBase(const ComparedUnit& compared) {
    const BaseUnit& current = *compared.base;
    const ExchangeUnit* unit = compared.translation;
    UnitState state = current.Translate() ? StateAgainstBase(compared) : UnitState::Translated;
    std::string reason = state == UnitState::Untranslated ? "is not translated"
                         : state == UnitState::NeedsReview && !compared.sourceChanged ? "is marked for review"
                         : compared.sourceChanged ? "was translated for another source text than the base's"
                                                  : "";
    if (!current.Translate() && unit->state == UnitState::Translated) {
        bool changedText = false;
        for (const PluralForm& plural : unit->forms) {
            const std::optional<BaseForm> form = current.Form(plural.category);
            changedText = changedText || plural.text != (form ? form->source : current.SourcePlural());
        }
        if (changedText) reason = "is marked not to translate";
    }
    if (!reason.empty()) Warn(unit->targetLine, Quoted(current.Key()) + " " + reason + "; the base text is used");
    AddPlural(current.Key(), unit->plural ? unit : nullptr, &current, current.Translate() ? state : UnitState::Translated);
}

// A base member marked not to translate keeps the base's text.
void ImportedEntries::AddFixedAgainstBase(const BaseUnit& current, const ExchangeUnit& unit) {
    if (unit.state == UnitState::Translated && unit.target != current.Source())
        Warn(unit.targetLine, Quoted(current.Key()) + " is marked not to translate; the base text is used");
    Emit({current.Key(), current.Source(), UnitState::Translated, current.Source(), unit.targetLine, unit.line});
}

// A text takes its translation when it is translated, for the base's
// source text and with its arguments; otherwise the base's text.
void ImportedEntries::AddTextAgainstBase(const ComparedUnit& compared) {
    const BaseUnit& current = *compared.base;
    const ExchangeUnit& unit = *compared.translation;
    const std::string& target = unit.target;
    std::string reason;
    UnitState state = unit.state;
    if (state == UnitState::Untranslated) {
        reason = "is not translated";
    } else if (state == UnitState::NeedsReview) {
        reason = "is marked for review";
    } else if (compared.sourceChanged) {
        reason = "was translated for the source " + Quoted(unit.source) + ", the base now says " +
                 Quoted(current.Source());
        state = UnitState::NeedsReview;
    } else {
        // The file's source is the base's here, so its own check
        // covered this; checked again all the same, as the one rule
        // a library must never break.
        const std::vector<std::string> mismatches = PlaceholderMismatches(Values(current.Source()), Values(target));
        if (!mismatches.empty()) {
            reason = "does not take the base text's arguments: " + mismatches.front();
            state = UnitState::NeedsReview;
        }
    }
    if (reason.empty()) {
        Emit({current.Key(), target, UnitState::Translated, target, unit.targetLine, unit.line, &unit});
        return;
    }
    Warn(unit.targetLine, Quoted(current.Key()) + " " + reason + "; the base text is used");
    Emit({current.Key(), current.Source(), state, target, unit.targetLine, unit.line, &unit});
}

}  // namespace

void ImportResult::AddWarning(ExchangeProblem warning) {
    if (warnings.size() < kShownWarnings) {
        warnings.push_back(std::move(warning));
        return;
    }
    // The kind: the words after the unit's quoted name, to the first ':',
    // ';' or quoted text.
    std::string_view kind = warning.message;
    if (!kind.empty() && kind.front() == '\'') {
        const std::size_t nameEnd = kind.find("' ", 1);
        kind.remove_prefix(nameEnd == std::string_view::npos ? 0 : nameEnd + 2);
    }
    kind = kind.substr(0, std::min({kind.find(':'), kind.find(';'), kind.find(" '"), std::size_t{80}}));
    for (MoreWarnings& more : moreWarnings) {
        if (more.kind != kind) continue;
        ++more.count;
        return;
    }
    // A bounded list: kinds past the 32nd are counted together.
    if (moreWarnings.size() == 32) return void(++moreWarnings.back().count);
    moreWarnings.push_back({moreWarnings.size() == 31 ? std::string("of other kinds") : std::string(kind), 1});
}

ImportResult WriteImport(UnitFile& file, const BaseFile* base, textresgen::ByteSink& out,
                         std::vector<UnitOrigin>& origins) {
    ImportResult result;
    // First every unit on its own: its own rules, the language's
    // categories, and with a base which of its units each name has.
    std::vector<std::string> fileCategories;
    std::vector<std::uint32_t> numberOf;  // by base unit: the file's unit of its name
    std::optional<BaseUnitIndex> byKey;
    if (base) {
        byKey.emplace(*base);
        numberOf.assign(base->units.size(), KeyIndex::kNone);
    }
    ExchangeProblem problem;
    const bool read = file.ForEach(problem, [&](std::uint32_t number, const ExchangeUnit& unit) {
        CheckUnitOwnRules(unit, fileCategories, result.errors);
        if (!base) return;
        if (const std::uint32_t current = byKey->FindNumber(unit.key); current != KeyIndex::kNone)
            numberOf[current] = number;
        else
            result.AddWarning(Warning(unit.targetLine, Quoted(unit.key) + " is not in the base; left out"));
    });
    byKey.reset();
    if (!read || !result.errors.empty()) {
        ImportResult failed;
        failed.errors = read ? std::move(result.errors) : std::vector<ExchangeProblem>{std::move(problem)};
        return failed;
    }

    // Then the members, written as they are made: in file order, or in the
    // base's with each name's unit made again from the file.
    DefinitionWriter definition(out);
    ImportedEntries entries(std::move(fileCategories), result, definition);
    if (base) {
        for (std::size_t i = 0; i < base->units.size(); ++i)
            entries.AddAgainstBase(base->units[i], numberOf[i] == KeyIndex::kNone ? nullptr : &file.Unit(numberOf[i]));
    } else {
        file.TakeEach([&](const ExchangeUnit& unit) { entries.AddUnit(unit); });
    }
    definition.Close();
    result.units = definition.Entries();
    result.fellBack = definition.FellBack();
    origins = std::move(definition.Origins());
    result.ok = true;
    return result;
}

void CheckImport(textresgen::ByteSink& out, const std::vector<UnitOrigin>& origins, ImportResult& result) {
    // A sink that failed to write cannot read back: its owner tells why.
    if (std::unique_ptr<textresgen::ByteSource> written = out.WrittenBytes())
        AddCheckFindings(textrescheck::CheckDefinitionSource(std::move(written)), origins, result);
    result.ok = result.ok && result.errors.empty();
}

ImportResult ImportExchange(std::string_view bytes, const ExchangeFormat& format, const BaseFile* base) {
    ExchangeProblem problem;
    const std::unique_ptr<UnitFile> file = format.OpenUnits(bytes, problem);
    if (!file) {
        ImportResult result;
        result.errors.push_back(std::move(problem));
        return result;
    }
    std::string definition;
    textresgen::MemorySink sink(definition);
    std::vector<UnitOrigin> origins;
    ImportResult result = WriteImport(*file, base, sink, origins);
    if (!result.ok) return result;
    CheckImport(sink, origins, result);
    if (result.ok) result.definition = std::move(definition);
    return result;
}

}  // namespace textresl10n
