#include "layout/messages_file.h"

#include <algorithm>
#include <map>
#include <vector>

#include "codec/c_format.h"
#include "definition/plural_message.h"
#include "layout/cpp_spelling.h"

namespace textresgen {
namespace {

// The C++ type a message takes for one argument of the base's directives
// (as ParsePrintfFormat names it); null for one it cannot take.
const char* ArgumentType(const std::string& argument) {
    static const std::pair<const char*, const char*> kTypes[] = {
        {"int", "int"},
        {"unsigned int", "unsigned int"},
        {"long", "long"},
        {"unsigned long", "unsigned long"},
        {"long long", "long long"},
        {"unsigned long long", "unsigned long long"},
        {"short", "short"},
        {"unsigned short", "unsigned short"},
        {"signed char", "signed char"},
        {"unsigned char", "unsigned char"},
        {"intmax_t", "::std::intmax_t"},
        {"uintmax_t", "::std::uintmax_t"},
        {"size_t", "::std::size_t"},
        {"ssize_t", "::std::make_signed_t<::std::size_t>"},
        {"ptrdiff_t", "::std::ptrdiff_t"},
        {"unsigned ptrdiff_t", "::std::make_unsigned_t<::std::ptrdiff_t>"},
        {"double", "double"},
        {"long double", "long double"},
        {"int (a character)", "::textresgen::detail::CharacterCode"},
        {"wint_t", "wchar_t"},
        {"char*", "const char*"},
        {"wchar_t*", "const wchar_t*"},
        {"void*", "const void*"},
    };
    for (const auto& [name, type] : kTypes)
        if (argument == name) return type;
    return nullptr;
}

// The integer types among them: a plural message's count is one.
bool IsIntegerArgument(const std::string& argument) {
    const char* type = ArgumentType(argument);
    return type != nullptr && argument.find("char") == std::string::npos && argument.find("double") == std::string::npos &&
           argument != "void*" && argument != "wint_t";
}

// What the base's text of one member is to printf.
struct BaseFormat {
    bool hasPercent = false;  // the body holds a '%': the member is compared at load
    LiteralValues values;
    std::string signature;           // arguments joined by ','; '!' first: no valid format
    std::vector<const char*> types;  // a message's argument types; filled for a format with directives
    bool isMessage = false;
};

BaseFormat ReadBaseFormat(WideStringView body) {
    BaseFormat base;
    base.hasPercent = body.find(u'%') != WideStringView::npos;
    LiteralProblem problem;
    if (!DecodeLiteralBody(body, base.values, problem)) {
        // The generator copies the body as it is; textrescheck reports it.
        // Its text is not known here: it is never compared.
        base.values.clear();
        base.signature = "!not a literal body every compiler reads alike";
        return base;
    }
    const PrintfFormat format = ParsePrintfFormat(base.values);
    if (!format.valid) {
        base.signature = "!" + format.problem;
        return base;
    }
    for (const auto& [first, end] : format.spans) {
        const char32_t conversion = base.values[end - 1];
        if (conversion == U'S' || conversion == U'C') {
            base.signature = "!%S and %C are read differently by each C library: write %ls and %lc";
            return base;
        }
    }
    for (std::size_t i = 0; i < format.arguments.size(); ++i) {
        if (i > 0) base.signature += ',';
        base.signature += format.arguments[i];
        const char* type = ArgumentType(format.arguments[i]);
        if (type == nullptr) {
            base.signature = "!an argument of an unknown type";
            base.types.clear();
            return base;
        }
        base.types.push_back(type);
    }
    base.isMessage = format.IsFormat();
    return base;
}

std::string Utf8Of(WideStringView units) {
    LiteralValues values;
    std::string utf8;
    UnitsToValues(units, values);
    ValuesToUtf8(values, utf8);
    return utf8;
}

// A row of BaseTextsOf's table, before the rows are sorted by index.
struct Row {
    std::size_t index = 0;
    std::string name;  // dotted, UTF-8
    std::string signature;
    LiteralValues text;
    std::size_t referenceIndex = 0;  // the member whose arguments it must take
    bool mayOmitCount = false;
};

class Companion {
public:
    explicit Companion(const DefinitionTexts& definition) : definition_(definition) {}

    bool Walk(const HeaderGroup& group, std::vector<const WideString*>& path, std::string& error) {
        if (!group.name.empty()) path.push_back(&group.name);
        const bool plural = !group.name.empty() && group.groups.empty() && PluralMessage(group, path, error);
        if (!error.empty() || (!plural && !Members(group, path, error))) return false;
        for (const HeaderGroup& inner : group.groups)
            if (!Walk(inner, path, error)) return false;
        if (!group.name.empty()) path.pop_back();
        return true;
    }

    std::string Text(const HeaderGroup& top) {
        std::string text =
            "// Written by textresgen-layout from textresouce.h and the base's definitions: the typed\n"
            "// messages (textresgen::msg), the base's texts for the check at load, and the\n"
            "// structure's UTF-8 twin. Included by textresouce_layout.h.\n"
            "#pragma once\n"
            "#include <cstddef>\n"
            "#include <cstdint>\n"
            "#include <type_traits>\n"
            "#include <textresgen/messages.h>\n"
            "#include \"textresouce.h\"\n";
        text += messages_;
        text += "\nnamespace textresgen {\ntemplate <> struct BaseTextsOf<::TextResource> {\n";
        text += "    static constexpr ::std::size_t kMembers = " + std::to_string(names_.size()) + ";\n";
        text += "    static constexpr ::textresgen::detail::BaseText kTexts[] = {\n";
        std::sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return a.index < b.index; });
        std::map<std::size_t, std::size_t> position;
        for (std::size_t i = 0; i < rows_.size(); ++i) position[rows_[i].index] = i;
        for (const Row& row : rows_) {
            text += "        {" + std::to_string(row.index) + ", " + NarrowLiteral(row.name) + ", " +
                    NarrowLiteral(row.signature) + ",\n         " + WideLiteral(row.text) + ", " +
                    std::to_string(position[row.referenceIndex]) + ", " + (row.mayOmitCount ? "true" : "false") +
                    "},\n";
        }
        text += "        {" + std::to_string(names_.size()) + ", \"\", \"\", L\"\", 0, false},\n    };\n";
        text += "    static constexpr const char* kNames[] = {\n        \"";
        std::size_t piece = 0;
        for (const std::string& name : names_) {
            std::string spelled = NarrowLiteral(name);
            spelled = spelled.substr(1, spelled.size() - 2) + "\\000";
            if (piece + spelled.size() > kLiteralPiece) {
                text += "\",\n        \"";
                piece = 0;
            }
            text += spelled;
            piece += spelled.size();
        }
        text += "\",\n    };\n};\n}  // namespace textresgen\n\n";
        text += "struct TextResourceUtf8 {\n";
        Utf8Struct(top, 1, text);
        text += "};\n\nnamespace textresgen {\n"
                "template <> struct Utf8Of<::TextResource> { using type = ::TextResourceUtf8; };\n"
                "}  // namespace textresgen\n";
        return text;
    }

private:
    static std::string Dotted(const std::vector<const WideString*>& path, WideStringView last) {
        WideString dotted;
        for (const WideString* part : path) dotted.append(*part).push_back(u'.');
        return Utf8Of(dotted.append(last));
    }

    const DefinitionTexts::Entry* Find(const std::vector<const WideString*>& path, WideStringView last,
                                       std::string& error) {
        WideString dotted;
        for (const WideString* part : path) dotted.append(*part).push_back(u'.');
        dotted.append(last);
        const DefinitionTexts::Entry* entry = definition_.Find(dotted);
        if (entry == nullptr)
            error = "does not define " + Utf8Of(dotted) +
                    ", which the header declares: give the definition file the header was generated from";
        return entry;
    }

    // names_ is filled by index.
    void Name(std::size_t index, std::string dotted) {
        if (names_.size() <= index) names_.resize(index + 1);
        names_[index] = std::move(dotted);
    }

    bool Members(const HeaderGroup& group, const std::vector<const WideString*>& path, std::string& error) {
        for (const HeaderGroup::Member& member : group.members) {
            const DefinitionTexts::Entry* entry = Find(path, member.name, error);
            if (entry == nullptr) return false;
            const std::string dotted = Dotted(path, member.name);
            Name(member.index, dotted);
            BaseFormat base = ReadBaseFormat(entry->text);
            if (base.isMessage) AddMessage(path, member.name, "::textresgen::detail::Forms<" +
                                           std::to_string(member.index) + ">", "::textresgen::detail::kNoForm",
                                           base.types);
            if (base.hasPercent)
                rows_.push_back({member.index, dotted, base.signature, std::move(base.values), member.index, false});
        }
        return true;
    }

    // A group of CLDR categories with `other` whose `other` takes an integer
    // argument, the count (the last of them): one message. False when the
    // group is no such message: its members are then messages of their own.
    bool PluralMessage(const HeaderGroup& group, const std::vector<const WideString*>& path, std::string& error) {
        PluralGroupMembers kinds;
        std::size_t forms[plural::kCategoryNames.size()];
        std::fill(std::begin(forms), std::end(forms), static_cast<std::size_t>(-1));
        for (const HeaderGroup::Member& member : group.members) {
            const std::size_t category = kinds.Add(WideStringView(member.name));
            if (category < plural::kCategoryNames.size()) forms[category] = member.index;
        }
        if (group.members.empty() || kinds.Kind(false) != PluralGroupKind::PluralMessage) return false;
        std::vector<const WideString*> outer(path.begin(), path.end() - 1);
        const std::size_t other = forms[plural::kOtherCategory];
        const DefinitionTexts::Entry* otherEntry = Find(path, u"other", error);
        if (otherEntry == nullptr) return false;
        const BaseFormat reference = ReadBaseFormat(otherEntry->text);
        if (!reference.isMessage || reference.types.empty()) return false;
        // The count: the last argument of an integer type.
        const PrintfFormat format = ParsePrintfFormat(reference.values);
        std::size_t count = format.arguments.size();
        while (count > 0 && !IsIntegerArgument(format.arguments[count - 1])) --count;
        if (count == 0) return false;
        --count;
        const bool countLast = count + 1 == format.arguments.size();

        std::string formList = "::textresgen::detail::Forms<";
        for (std::size_t i = 0; i < plural::kCategoryNames.size(); ++i) {
            if (i > 0) formList += ", ";
            formList += forms[i] == static_cast<std::size_t>(-1) ? "::textresgen::detail::kNoForm"
                                                                  : std::to_string(forms[i]);
        }
        AddMessage(outer, group.name, formList + ">", std::to_string(count), reference.types);
        for (const HeaderGroup::Member& member : group.members) {
            const DefinitionTexts::Entry* entry = Find(path, member.name, error);
            if (entry == nullptr) return false;
            const std::string dotted = Dotted(path, member.name);
            Name(member.index, dotted);
            BaseFormat base = ReadBaseFormat(entry->text);
            // A form may leave out the count only when it is the last argument:
            // Format passes every argument, and one left over at the end is never read.
            rows_.push_back({member.index, dotted, base.signature, std::move(base.values), other,
                             countLast && member.index != other});
        }
        return true;
    }

    void AddMessage(const std::vector<const WideString*>& path, WideStringView name, const std::string& forms,
                    const std::string& count, const std::vector<const char*>& types) {
        std::string space;
        for (const WideString* part : path) space += "::" + IdentifierSpelling(*part);
        const std::string own = IdentifierSpelling(name);
        messages_ += "\nnamespace textresgen::message_types" + space + " {\nstruct " + own +
                     " : ::textresgen::detail::Message<::TextResource, " + forms + ", " + count;
        for (const char* type : types) messages_ += std::string(", ") + type;
        messages_ += "> {};\n}\nnamespace textresgen::msg" + space + " {\ninline constexpr ::textresgen::message_types" +
                     space + "::" + own + " " + own + "{};\n}\n";
    }

    static void Utf8Struct(const HeaderGroup& group, std::size_t depth, std::string& text) {
        const std::string tabs(depth * 4, ' ');
        std::size_t member = 0;
        std::size_t inner = 0;
        while (member < group.members.size() || inner < group.groups.size()) {
            const bool takeMember = inner == group.groups.size() ||
                                    (member < group.members.size() && group.members[member].place < group.groups[inner].place);
            if (takeMember) {
                text += tabs + "const char* " + IdentifierSpelling(group.members[member++].name) + ";\n";
                continue;
            }
            const HeaderGroup& sub = group.groups[inner++];
            const std::string name = IdentifierSpelling(sub.name);
            text += tabs + "struct _" + name + " {\n";
            Utf8Struct(sub, depth + 1, text);
            text += tabs + "} " + name + ";\n";
        }
    }

    const DefinitionTexts& definition_;
    std::string messages_;
    std::vector<Row> rows_;
    std::vector<std::string> names_;
};

}  // namespace

std::optional<std::string> MessagesHeaderText(const HeaderGroup& top, const DefinitionTexts& definition,
                                              std::string& error) {
    Companion companion(definition);
    std::vector<const WideString*> path;
    if (!companion.Walk(top, path, error)) return std::nullopt;
    return companion.Text(top);
}

}  // namespace textresgen
