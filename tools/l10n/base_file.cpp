#include "l10n/base_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

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
    std::string key_, text_, why_, joined_;
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
        unit.Redefine(base_.texts, source, static_cast<std::uint32_t>(line.number));
        undecoded_[found] = !decoded;
        return true;
    }
    joined_.clear();
    for (const std::string& note : notes.lines) (joined_ += note) += '\n';
    BaseUnit unit;
    unit.SetTexts(base_.texts, key_, source, static_cast<std::uint32_t>(line.number), NoteLines(joined_),
                  !notes.doNotTranslate);
    base_.units.push_back(unit);
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
        error.line = unit.Line();
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
// into one unit, in place: the message takes its first member's place and
// its members move to base.members, side by side; the other units keep
// their order. Any other group's members, a group of category names without
// `other` among them, stay units of their own.
void GroupPlurals(BaseFile& base) {
    // Only a group with a member named `other` can be a plural message:
    // those are found first, in a table of 4 bytes a slot over their names
    // (views into the records, which stay where they are while the units
    // move), so that a base of many groups and few plurals, or of category
    // names alone, holds no table of all its groups.
    struct Group {
        const char* name = nullptr;
        BaseUnit* members = nullptr;  // where its members go once its unit is made
        textresgen::PluralGroupMembers categories;
        std::uint32_t nameSize = 0;
        std::uint8_t placed = 0;  // members moved so far
        bool hasSubgroups = false;
        bool plural = false;  // a plural message
        std::string_view Name() const { return {name, nameSize}; }
    };
    std::deque<Group> groups;  // grows without holding two copies
    KeyIndex index(0);
    const auto nameOf = [&groups](std::uint32_t i) { return groups[i].Name(); };
    const auto groupOf = [&](std::string_view name) { return index.Find(name, nameOf); };
    const std::string_view other = textresgen::plural::kCategoryNames[textresgen::plural::kOtherCategory];
    for (const BaseUnit& unit : base.units) {
        const std::string_view key = unit.Key();
        const std::size_t dot = key.rfind('.');
        if (dot == std::string_view::npos || key.substr(dot + 1) != other) continue;
        Group group;
        group.name = key.data();
        group.nameSize = static_cast<std::uint32_t>(dot);
        if (index.InsertGrowing(static_cast<std::uint32_t>(groups.size()), group.Name(), nameOf) == KeyIndex::kNone)
            groups.push_back(group);
    }
    if (groups.empty()) return;
    for (const BaseUnit& unit : base.units) {
        const std::string_view key = unit.Key();
        for (std::size_t dot = key.find('.'); dot != std::string_view::npos; dot = key.find('.', dot + 1)) {
            const std::uint32_t g = groupOf(key.substr(0, dot));
            if (g == KeyIndex::kNone) continue;
            const std::string_view rest = key.substr(dot + 1);
            if (rest.find('.') != std::string_view::npos) groups[g].hasSubgroups = true;
            else groups[g].categories.Add(rest);
        }
    }
    bool any = false;
    for (Group& group : groups) {
        group.plural = group.categories.Kind(group.hasSubgroups) == textresgen::PluralGroupKind::PluralMessage;
        any = any || group.plural;
    }
    if (!any) return;
    for (const BaseUnit& unit : base.units) {  // a name that is also a group's is no plural group
        const std::uint32_t g = groupOf(unit.Key());
        if (g != KeyIndex::kNone) groups[g].plural = false;
    }

    std::size_t kept = 0;  // units [0, kept) are the grouped file's so far
    for (std::size_t i = 0; i < base.units.size(); ++i) {
        const BaseUnit unit = base.units[i];
        const std::string_view key = unit.Key();
        const std::size_t dot = key.rfind('.');
        const std::uint32_t g = dot == std::string_view::npos ? KeyIndex::kNone : groupOf(key.substr(0, dot));
        if (g == KeyIndex::kNone || !groups[g].plural) {
            base.units[kept++] = unit;
            continue;
        }
        Group& group = groups[g];
        if (group.members == nullptr) {  // its first member: the message's unit stands here
            std::size_t count = 0;
            for (std::size_t c = 0; c < textresgen::plural::kCategoryNames.size(); ++c)
                count += group.categories.Has(c) ? 1 : 0;
            group.members = base.members.Reserve(count);
            BaseUnit message;
            message.SetPlural(base.texts, group.Name(), group.members, count);
            base.units[kept++] = message;
        }
        group.members[group.placed++] = unit;
    }
    base.units.erase(base.units.begin() + static_cast<std::ptrdiff_t>(kept), base.units.end());
}

}  // namespace

namespace {

// A unit's record in the arena: a byte of flags, the key's size, then
//   a unit with a text: its line, the text's size, [the notes' size,
//                       [their address,]] key, text[, notes]
//   a plural message:   its members' address and count, key
// numbers as 7-bit groups, low first (one byte below 128), addresses as
// their bytes. A record is read where it stands, byte by byte: the arena
// keeps no alignment. A name defined again gets a new record that points
// to its notes where they stand, so that a long comment above a name
// defined many times is held once.
constexpr unsigned char kHasNotes = 1;
constexpr unsigned char kPlural = 2;
constexpr unsigned char kDoNotTranslateFlag = 4;
constexpr unsigned char kNotesElsewhere = 8;

std::size_t SizeBytes(std::size_t size) {
    std::size_t bytes = 1;
    for (; size >= 0x80; size >>= 7) ++bytes;
    return bytes;
}

char* PutSize(char* at, std::size_t size) {
    for (; size >= 0x80; size >>= 7) *at++ = static_cast<char>(0x80 | (size & 0x7F));
    *at++ = static_cast<char>(size);
    return at;
}

const char* GetSize(const char* at, std::size_t& size) {
    size = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        size |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (byte < 0x80) return at;
    }
}

struct Record {
    unsigned char flags = 0;
    std::size_t line = 0;
    std::string_view key, source, notes;
    const BaseUnit* members = nullptr;
    std::size_t count = 0;
};

Record Read(const char* at) {
    Record record;
    if (at == nullptr) return record;
    record.flags = static_cast<unsigned char>(*at++);
    std::size_t keySize = 0, sourceSize = 0, notesSize = 0;
    at = GetSize(at, keySize);
    if (record.flags & kPlural) {
        std::memcpy(&record.members, at, sizeof record.members);
        at = GetSize(at + sizeof record.members, record.count);
    } else {
        at = GetSize(at, record.line);
        at = GetSize(at, sourceSize);
        if (record.flags & kHasNotes) at = GetSize(at, notesSize);
    }
    const char* notes = nullptr;
    if (record.flags & kNotesElsewhere) {
        std::memcpy(&notes, at, sizeof notes);
        at += sizeof notes;
    }
    record.key = {at, keySize};
    record.source = {at + keySize, sourceSize};
    record.notes = {notes ? notes : at + keySize + sourceSize, notesSize};
    return record;
}

}  // namespace

static_assert(sizeof(BaseUnit) == sizeof(const char*), "a unit is its record's address");

std::string_view BaseUnit::Key() const {
    // Called most (each probe of an index compares a key): only the sizes
    // before the key are read.
    if (record_ == nullptr) return {};
    const auto flags = static_cast<unsigned char>(*record_);
    std::size_t keySize = 0, skipped = 0;
    const char* at = GetSize(record_ + 1, keySize);
    if (flags & kPlural) {
        at = GetSize(at + sizeof(const BaseUnit*), skipped);
    } else {
        const int sizes = flags & kHasNotes ? 3 : 2;  // line, text[, notes]
        for (int i = 0; i < sizes; ++i) at = GetSize(at, skipped);
        if (flags & kNotesElsewhere) at += sizeof(const char*);
    }
    return {at, keySize};
}

std::string_view BaseUnit::Source() const {
    if (!Plural()) return Read(record_).source;
    const std::optional<BaseForm> one = Form("one");
    return one ? one->source : SourcePlural();
}

NoteLines BaseUnit::Notes() const {
    const Record record = Read(record_);
    if (record.flags & kPlural) return record.count == 0 ? NoteLines() : record.members[0].Notes();
    return NoteLines(record.notes);
}

std::uint32_t BaseUnit::Line() const {
    const Record record = Read(record_);
    if (record.flags & kPlural) return record.count == 0 ? 0 : record.members[0].Line();
    return static_cast<std::uint32_t>(record.line);
}

bool BaseUnit::Translate() const {
    const Record record = Read(record_);
    if (!(record.flags & kPlural)) return !(record.flags & kDoNotTranslateFlag);
    return std::all_of(record.members, record.members + record.count,
                       [](const BaseUnit& member) { return member.Translate(); });
}

bool BaseUnit::Plural() const { return record_ != nullptr && (*record_ & kPlural); }

void BaseUnit::SetTexts(textresgen::Arena<char>& arena, std::string_view key, std::string_view source,
                        std::uint32_t line, NoteLines notes, bool translate) {
    Write(arena, key, source, line, notes.Joined(), translate, /*notesInPlace=*/true);
}

void BaseUnit::Redefine(textresgen::Arena<char>& arena, std::string_view source, std::uint32_t line) {
    const Record record = Read(record_);
    Write(arena, record.key, source, line, record.notes, Translate(), /*notesInPlace=*/false);
}

void BaseUnit::Write(textresgen::Arena<char>& arena, std::string_view key, std::string_view source,
                     std::uint32_t line, std::string_view notes, bool translate, bool notesInPlace) {
    const bool elsewhere = !notes.empty() && !notesInPlace;
    char* at = arena.Reserve(1 + SizeBytes(key.size()) + SizeBytes(line) + SizeBytes(source.size()) +
                             (notes.empty() ? 0 : SizeBytes(notes.size())) + (elsewhere ? sizeof(const char*) : 0) +
                             key.size() + source.size() + (elsewhere ? 0 : notes.size()));
    char* const record = at;
    *at++ = static_cast<char>((notes.empty() ? 0 : kHasNotes) | (translate ? 0 : kDoNotTranslateFlag) |
                              (elsewhere ? kNotesElsewhere : 0));
    at = PutSize(at, key.size());
    at = PutSize(at, line);
    at = PutSize(at, source.size());
    if (!notes.empty()) at = PutSize(at, notes.size());
    if (elsewhere) {
        const char* address = notes.data();
        std::memcpy(at, &address, sizeof address);
        at += sizeof address;
    }
    at = std::copy(key.begin(), key.end(), at);
    at = std::copy(source.begin(), source.end(), at);
    if (!elsewhere) std::copy(notes.begin(), notes.end(), at);
    record_ = record;  // last: `key` and `notes` may be views of the record before
}

void BaseUnit::SetPlural(textresgen::Arena<char>& arena, std::string_view key, const BaseUnit* members,
                         std::size_t count) {
    char* at = arena.Reserve(1 + SizeBytes(key.size()) + sizeof members + SizeBytes(count) + key.size());
    record_ = at;
    *at++ = static_cast<char>(kPlural);
    at = PutSize(at, key.size());
    std::memcpy(at, &members, sizeof members);
    at = PutSize(at + sizeof members, count);
    std::copy(key.begin(), key.end(), at);
}

std::string_view BaseUnit::SourcePlural() const {
    const std::optional<BaseForm> other = Plural() ? Form("other") : std::nullopt;
    return other ? other->source : std::string_view();
}

BaseForm BaseUnit::FormList::iterator::operator*() const {
    const std::string_view key = member_->Key();
    return {key.substr(key.rfind('.') + 1), member_->Source(), member_->Notes(), member_->Line()};
}

BaseUnit::FormList BaseUnit::Forms() const {
    if (!Plural()) return FormList(nullptr, 0);
    const Record record = Read(record_);
    return FormList(record.members, record.count);
}

std::optional<BaseForm> BaseUnit::Form(std::string_view category) const {
    const FormList forms = Forms();
    for (auto member = forms.begin(); member != forms.end(); ++member) {
        const std::string_view key = member.Unit().Key();
        if (key.size() > category.size() && key[key.size() - category.size() - 1] == '.' &&
            key.substr(key.size() - category.size()) == category)
            return *member;
    }
    return std::nullopt;
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
    fresh.translate = unit.Translate();
    fresh.plural = unit.Plural();
    fresh.sourcePlural = unit.SourcePlural();
    return fresh;
}

}  // namespace textresl10n
