#include "l10n/base_file.h"

#include <memory>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "l10n/file_io.h"
#include "l10n/message_text.h"
#include "definition/definition_line.h"
#include "definition/plural_message.h"
#include "text/file_problem.h"
#include "text/memory_bytes.h"
#include "text/platform_file.h"
#include "text/utf16_reader.h"

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

bool ReadBase(std::unique_ptr<textresgen::ByteSource> source, BaseFile& base, ExchangeProblem& error) {
    textresgen::Utf16Reader reader;
    if (!source || !reader.Open(std::move(source))) {
        error.message = "cannot be read: it is missing, not accessible, or starts with the big-endian mark FE FF";
        return false;
    }
    // Each unit is decoded as its line is read, so the file's text is held
    // once, as UTF-8, in the arena. A repeated name is found through the
    // units' own keys (a set of indices, not a second copy of every name)
    // and takes the later text. A text that cannot be decoded is an error
    // only if no later definition of the name replaces it, as the generator
    // keeps the last.
    std::vector<BaseUnit>& units = base.units;
    units.clear();
    TextArena& texts = base.texts;
    std::string key, text;  // a line's name and text before they are kept
    std::vector<std::pair<std::size_t, std::string>> failures;  // unit index -> why, while it stands
    const auto hashKey = [&units](std::size_t i) { return std::hash<std::string_view>()(units[i].key); };
    const auto sameKey = [&units](std::size_t a, std::size_t b) { return units[a].key == units[b].key; };
    std::unordered_set<std::size_t, decltype(hashKey), decltype(sameKey)> byName(16, hashKey, sameKey);
    std::vector<std::string> pendingNotes;
    bool doNotTranslate = false;
    WideStringView line;
    std::size_t lineNumber = 0;
    while (reader.ReadLine(line)) {
        ++lineNumber;
        const textresgen::DefinitionLine definition = textresgen::SplitDefinitionLine(line);
        if (!definition.isEntry) {
            WideString comment;
            if (!CommentText(line, comment)) {
                pendingNotes.clear();
                doNotTranslate = false;
                continue;
            }
            std::string note;
            if (!NoteText(comment, note)) continue;
            if (note == kDoNotTranslate) doNotTranslate = true;
            else pendingNotes.push_back(std::move(note));
            continue;
        }
        BaseUnit unit;
        unit.line = lineNumber;
        std::string why;
        textresgen::LiteralValues nameValues;
        bool decoded = true;
        key.clear();
        if (!textresgen::UnitsToValues(definition.name, nameValues) || !textresgen::ValuesToUtf8(nameValues, key)) {
            why = "the name " + Quoted(definition.name) + " holds an unpaired surrogate, which has no UTF-8 form";
            decoded = false;
            // A key no UTF-8 name can equal, so that no other name's line replaces this error.
            key = "\xFF" + std::to_string(lineNumber);
        }
        decoded = decoded && DecodeText(definition.name, definition.text, text, why);
        // (A repeated name's key is kept twice; only repeats pay for it.)
        unit.key = texts.Keep(key);
        unit.source = decoded ? texts.Keep(text) : std::string_view();
        units.push_back(std::move(unit));
        const auto [at, inserted] = byName.insert(units.size() - 1);
        std::size_t index = *at;
        if (inserted) {
            if (!pendingNotes.empty()) {
                std::vector<std::string_view>& notes = units.back().MutableParts().notes;
                for (const std::string& note : pendingNotes) notes.push_back(texts.Keep(note));
            }
            units.back().translate = !doNotTranslate;
        } else {
            BaseUnit& first = units[index];
            first.source = units.back().source;
            first.line = lineNumber;
            units.pop_back();
        }
        // A later definition replaces an earlier one's failure.
        if (!failures.empty() && failures.back().first == index) failures.pop_back();
        else failures.erase(std::remove_if(failures.begin(), failures.end(),
                                           [&](const auto& failure) { return failure.first == index; }),
                            failures.end());
        if (!decoded) failures.emplace_back(index, std::move(why));
        pendingNotes.clear();
        doNotTranslate = false;
    }
    if (reader.ReadFailed()) {
        error.message = "reading failed after line " + std::to_string(lineNumber);
        return false;
    }
    if (!failures.empty()) {
        const auto first = std::min_element(failures.begin(), failures.end());
        error.line = units[first->first].line;
        error.message = first->second;
        return false;
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
    if (textresgen::NamesDevice(path)) {
        error.message = kDeviceName;
        return false;
    }
    std::unique_ptr<textresgen::ByteSource> source = textresgen::OpenFileSource(path.c_str());
    if (!source && textresgen::LastFileProblem() == textresgen::FileProblem::InUse) {
        error.message = DescribeReadStatus(ReadStatus::InUse);
        return false;
    }
    return ReadBase(std::move(source), base, error);
}

bool ReadBaseBytes(std::string_view bytes, BaseFile& base, ExchangeProblem& error) {
    return ReadBase(std::make_unique<textresgen::MemorySource>(bytes), base, error);
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
