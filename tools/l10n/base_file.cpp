#include "l10n/base_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "l10n/file_io.h"
#include "l10n/key_index.h"
#include "l10n/message_text.h"
#include "cli/input_file.h"
#include "definition/definition_file.h"
#include "definition/plural_message.h"
#include "runtime/plural_rules.h"
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
bool DecodeText(WideStringView name, WideStringView body, textresgen::LiteralValues& values, std::string& utf8,
                std::string& why) {
    textresgen::LiteralProblem problem;
    values.clear();
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

// Reads the definitions the generator keeps straight into units, by name in
// the order of their first definitions, each text decoded into the arena as
// UTF-8 as its line is read: nothing else of the file is held, so that a
// base of millions of short lines stays near its file's size.
class BaseReader {
public:
    explicit BaseReader(BaseFile& base) : base_(base) {}

    // False when the line cannot be kept at all (the file is too large).
    bool Add(const textresgen::NumberedLine& line, Notes& notes, ExchangeProblem& error);
    // The first definition, in the order of the names, that keeps the file
    // from being read: a name without a UTF-8 form (an error at its first
    // line), or a text that cannot be decoded that no later definition of
    // its name replaced (at the line of that text). False with it in `error`.
    bool Finish(ExchangeProblem& error) const;

private:
    struct KeyOfUnit {
        const BaseFile& base;
        std::string_view operator()(std::uint32_t i) const { return base.units[i].Key(); }
    };

    BaseFile& base_;
    KeyIndex byKey_{0};
    // Units whose kept text could not be decoded: their Source() holds the
    // text's UTF-16 as it stands in the line, decoded again by Finish() to
    // say why.
    std::vector<bool> undecoded_;
    // The first name without a UTF-8 form: where its unit would stand.
    std::size_t badNameAt_ = SIZE_MAX;
    ExchangeProblem badName_;
    textresgen::LiteralValues values_;
    std::string key_, text_, why_;
};

bool BaseReader::Add(const textresgen::NumberedLine& line, Notes& notes, ExchangeProblem& error) {
    const textresgen::DefinitionLine& definition = line.definition;
    if (line.number > UINT32_MAX || definition.name.size() > UINT32_MAX / 4 || definition.text.size() > UINT32_MAX / 4) {
        error.line = line.number;
        error.message = line.number > UINT32_MAX ? "the file has more than 4294967295 lines"
                                                 : "the line's name or text is longer than 1073741823 characters";
        return false;
    }
    values_.clear();
    key_.clear();
    if (!textresgen::UnitsToValues(definition.name, values_) || !textresgen::ValuesToUtf8(values_, key_)) {
        if (badNameAt_ == SIZE_MAX) {
            badNameAt_ = base_.units.size();
            badName_.line = line.number;
            badName_.message =
                    "the name " + Quoted(definition.name) + " holds an unpaired surrogate, which has no UTF-8 form";
        }
        return true;
    }
    const bool decoded = DecodeText(definition.name, definition.text, values_, text_, why_);
    const std::string_view source =
            decoded ? std::string_view(text_)
                    : std::string_view(reinterpret_cast<const char*>(definition.text.data()),
                                       definition.text.size() * sizeof(char16_t));
    const auto id = static_cast<std::uint32_t>(base_.units.size());
    const std::uint32_t found = byKey_.InsertGrowing(id, key_, KeyOfUnit{base_});
    if (found != KeyIndex::kNone) {  // a repeated name: the last text is the one kept
        BaseUnit& unit = base_.units[found];
        unit.SetTexts(base_.texts, key_, source);
        unit.line = static_cast<std::uint32_t>(line.number);
        undecoded_[found] = !decoded;
        return true;
    }
    BaseUnit unit;
    unit.SetTexts(base_.texts, key_, source);
    unit.line = static_cast<std::uint32_t>(line.number);
    unit.translate = !notes.doNotTranslate;
    if (!notes.lines.empty()) {
        std::size_t size = 0;
        for (const std::string& note : notes.lines) size += note.size() + 1;
        char* joined = base_.texts.Reserve(size);
        char* at = joined;
        for (const std::string& note : notes.lines) {
            at = std::copy(note.begin(), note.end(), at);
            *at++ = '\n';
        }
        unit.MutableParts().notes = NoteLines(std::string_view(joined, size));
    }
    base_.units.push_back(std::move(unit));
    undecoded_.push_back(!decoded);
    return true;
}

bool BaseReader::Finish(ExchangeProblem& error) const {
    std::size_t first = 0;
    while (first < undecoded_.size() && first < badNameAt_ && !undecoded_[first]) ++first;
    if (first < undecoded_.size() && first < badNameAt_) {
        const BaseUnit& unit = base_.units[first];
        WideString body(unit.Source().size() / sizeof(char16_t), u'\0');
        std::memcpy(&body[0], unit.Source().data(), body.size() * sizeof(char16_t));
        textresgen::LiteralValues values;
        std::size_t bad = 0;
        textresgen::Utf8ToValues(unit.Key(), values, bad);
        const WideString name = textresgen::ValuesToUnits(values);
        std::string utf8;
        DecodeText(name, body, values, utf8, error.message);
        error.line = unit.line;
        return false;
    }
    if (badNameAt_ == SIZE_MAX) return true;
    error.line = badName_.line;
    error.message = badName_.message;
    return false;
}

bool ReadBase(std::unique_ptr<textresgen::ByteSource> source, BaseFile& base, ExchangeProblem& error,
              textresgen::FileProblem problem = textresgen::FileProblem::Other) {
    textresgen::DefinitionFileReader reader;
    if (!reader.Open(std::move(source), problem)) {
        error.message = reader.Problem();
        return false;
    }
    base.units.clear();
    {
        BaseReader units(base);  // its index goes before the plural messages are grouped
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
            if (!units.Add(line, pending, error)) return false;
            pending = Notes{};
        }
        if (reader.ReadFailed()) {
            error.message = reader.Problem();
            return false;
        }
        if (!units.Finish(error)) return false;
    }
    reader.Close();
    GroupPlurals(base);
    return true;
}

// Groups the members of each plural message (definition/plural_message.h)
// into one unit, in place: the message takes its first member's place, the
// other units keep their order. Any other group's members, a group of
// category names without `other` among them, stay units of their own.
void GroupPlurals(BaseFile& base) {
    // Only a group with a member named after a category can be a plural
    // message: those are found first, in a table of 4 bytes a slot over
    // their names (views of their members' keys), so that a base of many
    // groups and few plurals holds no table of all its groups.
    struct Group {
        textresgen::PluralGroupMembers members;
        std::uint32_t at = KeyIndex::kNone;  // where its unit stands once made
        std::uint32_t forms = 0;
        bool hasSubgroups = false;
        bool plural = false;  // a plural message
    };
    std::vector<std::string_view> names;
    std::vector<Group> groups;
    KeyIndex index(0);
    const auto nameOf = [&names](std::uint32_t i) { return names[i]; };
    const auto groupOf = [&](std::string_view name) { return index.Find(name, nameOf); };
    for (const BaseUnit& unit : base.units) {
        const std::size_t dot = unit.Key().rfind('.');
        if (dot == std::string_view::npos ||
            textresgen::plural::CategoryIndex(unit.Key().substr(dot + 1)) == textresgen::plural::kNoCategory)
            continue;
        const std::string_view name = unit.Key().substr(0, dot);
        if (index.InsertGrowing(static_cast<std::uint32_t>(names.size()), name, nameOf) != KeyIndex::kNone) continue;
        names.push_back(name);
        groups.emplace_back();
    }
    if (groups.empty()) return;
    for (const BaseUnit& unit : base.units) {
        for (std::size_t dot = unit.Key().find('.'); dot != std::string_view::npos; dot = unit.Key().find('.', dot + 1)) {
            const std::uint32_t g = groupOf(unit.Key().substr(0, dot));
            if (g == KeyIndex::kNone) continue;
            const std::string_view rest = unit.Key().substr(dot + 1);
            if (rest.find('.') != std::string_view::npos) {
                groups[g].hasSubgroups = true;
            } else {
                groups[g].members.Add(rest);
                ++groups[g].forms;
            }
        }
    }
    bool any = false;
    for (Group& group : groups) {
        group.plural = group.members.Kind(group.hasSubgroups) == textresgen::PluralGroupKind::PluralMessage;
        any = any || group.plural;
    }
    if (!any) return;
    for (const BaseUnit& unit : base.units) {  // a name that is also a group's is no plural group
        const std::uint32_t g = groupOf(unit.Key());
        if (g != KeyIndex::kNone) groups[g].plural = false;
    }

    std::size_t kept = 0;  // units [0, kept) are the grouped file's so far
    for (std::size_t i = 0; i < base.units.size(); ++i) {
        BaseUnit& unit = base.units[i];
        const std::size_t dot = unit.Key().rfind('.');
        const std::uint32_t g = dot == std::string_view::npos ? KeyIndex::kNone : groupOf(unit.Key().substr(0, dot));
        if (g == KeyIndex::kNone || !groups[g].plural) {
            if (kept != i) base.units[kept] = std::move(unit);
            ++kept;
            continue;
        }
        // Views into the arena: they outlive the unit, which the message's
        // own unit may take the place of.
        const BaseForm form{unit.Key().substr(dot + 1), unit.Source(), unit.Notes(), unit.line};
        const bool translate = unit.translate;
        Group& group = groups[g];
        if (group.at == KeyIndex::kNone) {
            BaseUnit merged;
            merged.SetTexts(base.texts, names[g], {});
            merged.plural = true;
            if (!form.notes.empty()) merged.MutableParts().notes = form.notes;
            merged.translate = translate;
            merged.line = unit.line;
            merged.MutableParts().forms.reserve(group.forms);
            group.at = static_cast<std::uint32_t>(kept);
            base.units[kept++] = std::move(merged);
        }
        BaseUnit& merged = base.units[group.at];
        merged.translate = merged.translate && translate;
        merged.MutableParts().forms.push_back(form);
    }
    base.units.erase(base.units.begin() + static_cast<std::ptrdiff_t>(kept), base.units.end());
    for (BaseUnit& unit : base.units) {
        if (!unit.plural) continue;
        const BaseForm* one = unit.Form("one");
        const BaseForm& other = *unit.Form("other");  // every plural message has it
        unit.SetTexts(base.texts, unit.Key(), one ? one->source : other.source);
    }
}

}  // namespace

namespace {
const BaseUnit::Parts kNoParts;
}  // namespace

NoteLines BaseUnit::Notes() const { return parts_ ? parts_->notes : NoteLines(); }

std::string_view BaseUnit::SourcePlural() const {
    const BaseForm* other = plural ? Form("other") : nullptr;
    return other ? other->source : std::string_view();
}

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
    fresh.key = unit.Key();
    fresh.source = unit.Source();
    for (const std::string_view note : unit.Notes()) fresh.notes.emplace_back(note);
    fresh.translate = unit.translate;
    fresh.plural = unit.plural;
    fresh.sourcePlural = unit.SourcePlural();
    return fresh;
}

}  // namespace textresl10n
