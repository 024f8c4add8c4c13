#include "l10n/base_file.h"

#include <memory>
#include <unordered_map>

#include "l10n/file_io.h"
#include "l10n/message_text.h"
#include "model/definition_line.h"
#include "runtime/plural_rules.h"
#include "text/file_problem.h"
#include "text/memory_bytes.h"
#include "text/platform_file.h"
#include "text/utf16_reader.h"

namespace textresl10n {
namespace {

using textresgen::WideString;
using textresgen::WideStringView;

void GroupPlurals(BaseFile& base);

struct RawUnit {
    WideString name;
    WideString body;
    std::size_t line = 0;
    std::vector<WideString> notes;
};

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

bool ReadBase(std::unique_ptr<textresgen::ByteSource> source, BaseFile& base, ExchangeProblem& error) {
    textresgen::Utf16Reader reader;
    if (!source || !reader.Open(std::move(source))) {
        error.message = "cannot be read: it is missing, not accessible, or starts with the big-endian mark FE FF";
        return false;
    }
    std::vector<RawUnit> raw;
    std::unordered_map<WideString, std::size_t> byName;
    std::vector<WideString> pendingNotes;
    WideStringView line;
    std::size_t lineNumber = 0;
    while (reader.ReadLine(line)) {
        ++lineNumber;
        const textresgen::DefinitionLine definition = textresgen::SplitDefinitionLine(line);
        if (!definition.isEntry) {
            WideString note;
            if (CommentText(line, note)) pendingNotes.push_back(std::move(note));
            else pendingNotes.clear();
            continue;
        }
        const auto [at, inserted] = byName.emplace(WideString(definition.name), raw.size());
        if (inserted) {
            raw.push_back({WideString(definition.name), WideString(definition.text), lineNumber, std::move(pendingNotes)});
        } else {
            raw[at->second].body.assign(definition.text);
            raw[at->second].line = lineNumber;
        }
        pendingNotes.clear();
    }
    if (reader.ReadFailed()) {
        error.message = "reading failed after line " + std::to_string(lineNumber);
        return false;
    }

    base.units.clear();
    base.units.reserve(raw.size());
    for (RawUnit& unit : raw) {
        error.line = unit.line;
        BaseUnit out;
        textresgen::LiteralValues nameValues;
        if (!textresgen::UnitsToValues(unit.name, nameValues) || !textresgen::ValuesToUtf8(nameValues, out.key)) {
            error.message = "the name " + Quoted(unit.name) + " holds an unpaired surrogate, which has no UTF-8 form";
            return false;
        }
        textresgen::LiteralProblem problem;
        if (!textresgen::DecodeLiteralBody(unit.body, out.values, problem)) {
            error.message = "the text of " + Quoted(unit.name) + " is not a valid literal body: " + problem.message +
                    " (character " + std::to_string(problem.character) + ")";
            return false;
        }
        if (!textresgen::ValuesToUtf8(out.values, out.source)) {
            error.message = "the text of " + Quoted(unit.name) +
                    " holds a \\x escape giving a surrogate, which no exchange file can carry";
            return false;
        }
        for (const WideString& note : unit.notes) {
            textresgen::LiteralValues values;
            std::string utf8;
            if (!textresgen::UnitsToValues(note, values)) continue;
            for (char32_t& c : values)
                if (c < 0x20 || c == 0x7F) c = U' ';  // a note is one line of plain text
            textresgen::ValuesToUtf8(values, utf8);
            if (utf8 == kDoNotTranslate) out.translate = false;
            else out.notes.push_back(std::move(utf8));
        }
        out.line = unit.line;
        base.units.push_back(std::move(out));
    }
    GroupPlurals(base);
    return true;
}

// Groups the members of each plural group into one unit: a group whose
// every name below it is the group's name, a dot and a category name.
void GroupPlurals(BaseFile& base) {
    std::unordered_map<std::string, bool> isPlural;  // group name -> every member a category
    for (const BaseUnit& unit : base.units) {
        for (std::size_t dot = unit.key.find('.'); dot != std::string::npos; dot = unit.key.find('.', dot + 1)) {
            const std::string_view rest = std::string_view(unit.key).substr(dot + 1);
            const bool category = rest.find('.') == std::string_view::npos && textresgen::plural::IsPluralCategory(rest);
            const auto [at, inserted] = isPlural.emplace(unit.key.substr(0, dot), category);
            if (!inserted) at->second = at->second && category;
        }
    }
    for (const BaseUnit& unit : base.units) {  // a name that is also a group's is no plural group
        const auto found = isPlural.find(unit.key);
        if (found != isPlural.end()) found->second = false;
    }
    std::vector<BaseUnit> units;
    std::unordered_map<std::string, std::size_t> groupAt;
    for (BaseUnit& unit : base.units) {
        const std::size_t dot = unit.key.rfind('.');
        const auto group = dot == std::string::npos ? isPlural.end() : isPlural.find(unit.key.substr(0, dot));
        if (group == isPlural.end() || !group->second) {
            units.push_back(std::move(unit));
            continue;
        }
        const auto [at, inserted] = groupAt.emplace(group->first, units.size());
        if (inserted) {
            BaseUnit merged;
            merged.key = group->first;
            merged.plural = true;
            merged.notes = unit.notes;
            merged.translate = unit.translate;
            merged.line = unit.line;
            units.push_back(std::move(merged));
        }
        BaseUnit& merged = units[at->second];
        merged.translate = merged.translate && unit.translate;
        merged.forms.push_back({unit.key.substr(dot + 1), std::move(unit.source), std::move(unit.values),
                                std::move(unit.notes), unit.line});
    }
    for (BaseUnit& unit : units) {
        if (!unit.plural) continue;
        const BaseForm* one = unit.Form("one");
        const BaseForm* other = unit.Form("other");
        const BaseForm& singular = one ? *one : other ? *other : unit.forms.front();
        const BaseForm& plural = other ? *other : singular;
        unit.source = singular.source;
        unit.values = singular.values;
        unit.sourcePlural = plural.source;
        unit.pluralValues = plural.values;
    }
    base.units = std::move(units);
}

}  // namespace

const BaseForm* BaseUnit::Form(std::string_view category) const {
    for (const BaseForm& form : forms)
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
    fresh.notes = unit.notes;
    fresh.translate = unit.translate;
    fresh.plural = unit.plural;
    fresh.sourcePlural = unit.sourcePlural;
    return fresh;
}

}  // namespace textresl10n
