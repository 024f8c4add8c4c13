#include "l10n/base_file.h"

#include <memory>
#include <unordered_map>

#include "l10n/file_io.h"
#include "l10n/message_text.h"
#include "cli/input_file.h"
#include "definition/definition_file.h"
#include "definition/definition_texts.h"
#include "definition/plural_message.h"
#include "text/file_problem.h"
#include "text/memory_bytes.h"
#include "text/platform_file.h"

namespace textresl10n {
namespace {

using textresgen::WideString;
using textresgen::WideStringView;

void GroupPlurals(BaseFile& base);

// The text of a comment line, or false when the line is no comment.
bool CommentText(WideStringView line, WideString& text) {
    line = line.substr(0, line.find(u'\0'));
    while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) line.remove_suffix(1);
    std::size_t skip = 0;
    if (line.substr(0, 1) == u"#") skip = 1;
    else if (line.substr(0, 2) == u"//") skip = 2;
    else return false;
    if (skip < line.size() && line[skip] == u' ') ++skip;
    text.assign(line.substr(skip));
    return true;
}

// A note as one line of plain text, UTF-8; false for one that has no UTF-8 form.
bool NoteText(WideStringView comment, std::string& utf8) {
    textresgen::LiteralValues values;
    if (!textresgen::UnitsToValues(comment, values)) return false;
    for (char32_t& c : values)
        if (c < 0x20 || c == 0x7F) c = U' ';
    return textresgen::ValuesToUtf8(values, utf8);
}

// The text of a definition line, as UTF-8; false with the reason.
bool DecodeText(WideStringView name, WideStringView body, std::string& utf8, std::string& why) {
    textresgen::LiteralValues values;
    textresgen::LiteralProblem problem;
    if (!textresgen::DecodeLiteralBody(body, values, problem)) {
        why = "the text of " + Quoted(name) + " is not a valid literal body: " + problem.message + " (character " +
              std::to_string(problem.character) + ")";
        return false;
    }
    utf8.clear();
    if (!textresgen::ValuesToUtf8(values, utf8)) {
        why = "the text of " + Quoted(name) + " holds a \\x escape giving a surrogate, which no exchange file can carry";
        return false;
    }
    return true;
}

// The comment lines above a name's first definition.
struct Notes {
    std::vector<std::string> lines;
    bool doNotTranslate = false;
};

// One base unit from the definition of a name that the generator keeps. False
// when its name (an error at its first line) or its text (at the line of that
// text) has no UTF-8 form, with the reason and that line in `error`.
bool MakeUnit(const textresgen::DefinitionTexts::Entry& definition, const Notes& notes, BaseFile& base,
              ExchangeProblem& error) {
    textresgen::LiteralValues nameValues;
    std::string key, text;
    if (!textresgen::UnitsToValues(definition.name, nameValues) || !textresgen::ValuesToUtf8(nameValues, key)) {
        error.line = definition.firstLine;
        error.message = "the name " + Quoted(definition.name) + " holds an unpaired surrogate, which has no UTF-8 form";
        return false;
    }
    if (!DecodeText(definition.name, definition.text, text, error.message)) {
        error.line = definition.lastLine;
        return false;
    }
    BaseUnit unit;
    unit.key = base.texts.Keep(key);
    unit.source = base.texts.Keep(text);
    unit.line = definition.lastLine;
    unit.translate = !notes.doNotTranslate;
    if (!notes.lines.empty()) {
        std::vector<std::string_view>& kept = unit.MutableParts().notes;
        for (const std::string& note : notes.lines) kept.push_back(base.texts.Keep(note));
    }
    base.units.push_back(std::move(unit));
    return true;
}

bool ReadBase(std::unique_ptr<textresgen::ByteSource> source, BaseFile& base, ExchangeProblem& error,
              textresgen::FileProblem problem = textresgen::FileProblem::Other) {
    textresgen::DefinitionFileReader reader;
    if (!reader.Open(std::move(source), problem)) {
        error.message = reader.Problem();
        return false;
    }
    // The definitions the generator keeps, by name in the order of their
    // first definitions, and the comment lines above each first definition.
    // While the file is read they stand in the index as UTF-16 (about twice
    // a UTF-8 file's size); the index is gone once the units are made.
    textresgen::DefinitionTexts definitions;
    std::vector<std::pair<std::size_t, Notes>> notesOf;  // by definition, only those with notes, in order
    Notes pending;
    textresgen::NumberedLine line;
    while (reader.Next(line)) {
        if (!line.definition.isEntry) {
            WideString comment;
            std::string note;
            if (!CommentText(line.line, comment)) pending = Notes{};
            else if (!NoteText(comment, note)) continue;
            else if (note == kDoNotTranslate) pending.doNotTranslate = true;
            else pending.lines.push_back(std::move(note));
            continue;
        }
        bool first = false;
        const std::size_t index = definitions.Add(line, first);
        if (first && (pending.doNotTranslate || !pending.lines.empty())) notesOf.emplace_back(index, std::move(pending));
        pending = Notes{};
    }
    if (reader.ReadFailed()) {
        error.message = reader.Problem();
        return false;
    }
    // Each kept text is decoded into the arena as UTF-8. A text that cannot
    // be decoded is an error only if no later definition of its name
    // replaces it, as the generator keeps the last; a name that cannot be
    // is one at its first line.
    base.units.clear();
    base.units.reserve(definitions.Entries().size());
    const Notes none;
    auto notes = notesOf.begin();
    for (std::size_t i = 0; i < definitions.Entries().size(); ++i) {
        const bool noted = notes != notesOf.end() && notes->first == i;
        if (!MakeUnit(definitions.Entries()[i], noted ? notes->second : none, base, error)) return false;
        if (noted) ++notes;
    }
    GroupPlurals(base);
    return true;
}

// Groups the members of each plural message (definition/plural_message.h)
// into one unit. Any other group's members, a group of category names
// without `other` among them, stay units of their own.
void GroupPlurals(BaseFile& base) {
    struct Group {
        textresgen::PluralGroupMembers members;
        bool hasSubgroups = false;
        bool plural = false;  // a plural message
    };
    // Group names are views of their members' keys.
    std::unordered_map<std::string_view, Group> isPlural;
    for (const BaseUnit& unit : base.units) {
        for (std::size_t dot = unit.key.find('.'); dot != std::string_view::npos; dot = unit.key.find('.', dot + 1)) {
            const std::string_view rest = unit.key.substr(dot + 1);
            Group& group = isPlural[unit.key.substr(0, dot)];
            if (rest.find('.') != std::string_view::npos) group.hasSubgroups = true;
            else group.members.Add(rest);
        }
    }
    for (auto& [name, group] : isPlural)
        group.plural = group.members.Kind(group.hasSubgroups) == textresgen::PluralGroupKind::PluralMessage;
    for (const BaseUnit& unit : base.units) {  // a name that is also a group's is no plural group
        const auto found = isPlural.find(unit.key);
        if (found != isPlural.end()) found->second.plural = false;
    }
    bool any = false;
    for (const auto& group : isPlural) any = any || group.second.plural;
    if (!any) return;
    std::vector<BaseUnit> units;
    units.reserve(base.units.size());
    std::unordered_map<std::string_view, std::size_t> groupAt;
    for (BaseUnit& unit : base.units) {
        const std::size_t dot = unit.key.rfind('.');
        const auto group = dot == std::string_view::npos ? isPlural.end() : isPlural.find(unit.key.substr(0, dot));
        if (group == isPlural.end() || !group->second.plural) {
            units.push_back(std::move(unit));
            continue;
        }
        const auto [at, inserted] = groupAt.emplace(group->first, units.size());
        if (inserted) {
            BaseUnit merged;
            merged.key = group->first;
            merged.plural = true;
            if (!unit.Notes().empty()) merged.MutableParts().notes = unit.Notes();
            merged.translate = unit.translate;
            merged.line = unit.line;
            units.push_back(std::move(merged));
        }
        BaseUnit& merged = units[at->second];
        merged.translate = merged.translate && unit.translate;
        merged.MutableParts().forms.push_back({unit.key.substr(dot + 1), unit.source, unit.Notes(), unit.line});
    }
    for (BaseUnit& unit : units) {
        if (!unit.plural) continue;
        const BaseForm* one = unit.Form("one");
        const BaseForm& other = *unit.Form("other");  // every plural message has it
        unit.source = one ? one->source : other.source;
        unit.MutableParts().sourcePlural = other.source;
    }
    base.units = std::move(units);
}

}  // namespace

namespace {
const BaseUnit::Parts kNoParts;
}  // namespace

const std::vector<std::string_view>& BaseUnit::Notes() const { return (parts_ ? *parts_ : kNoParts).notes; }

std::string_view BaseUnit::SourcePlural() const { return parts_ ? parts_->sourcePlural : std::string_view(); }

const std::vector<BaseForm>& BaseUnit::Forms() const { return (parts_ ? *parts_ : kNoParts).forms; }

BaseUnit::Parts& BaseUnit::MutableParts() {
    if (!parts_) parts_ = std::make_unique<Parts>();
    return *parts_;
}

const BaseForm* BaseUnit::Form(std::string_view category) const {
    for (const BaseForm& form : Forms())
        if (form.category == category) return &form;
    return nullptr;
}

bool ReadBaseFile(const std::string& path, BaseFile& base, ExchangeProblem& error) {
    error.file = path;
    std::unique_ptr<textresgen::ByteSource> source = textresgen::cli::OpenInput(path, error.message);
    if (!source) {
        if (textresgen::NamesDevice(path)) error.message = kDeviceName;
        return false;
    }
    return ReadBase(std::move(source), base, error);
}

bool ReadBaseBytes(std::string_view bytes, BaseFile& base, ExchangeProblem& error) {
    return ReadBase(std::make_unique<textresgen::MemorySource>(bytes), base, error);
}

bool ReadBaseSource(std::unique_ptr<textresgen::ByteSource> source, BaseFile& base, ExchangeProblem& error) {
    return ReadBase(std::move(source), base, error);
}

ExchangeUnit UntranslatedUnit(const BaseUnit& unit) {
    ExchangeUnit fresh;
    fresh.key = unit.key;
    fresh.source = unit.source;
    fresh.notes.assign(unit.Notes().begin(), unit.Notes().end());
    fresh.translate = unit.translate;
    fresh.plural = unit.plural;
    fresh.sourcePlural = unit.SourcePlural();
    return fresh;
}

}  // namespace textresl10n
