#include "check/file_check.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>
#include <memory>

#include "check/line_findings.h"
#include "check/literal_rules.h"
#include "check/member_names.h"
#include "check/cli_names.h"
#include "check/name_rules.h"
#include "check/plural_groups.h"
#include "cli/input_file.h"
#include "codec/c_format.h"
#include "codec/literal_body.h"
#include "definition/definition_file.h"
#include "definition/definition_line.h"
#include "definition/plural_message.h"
#include "text/arena.h"
#include "runtime/plural_rules.h"
#include "text/file_problem.h"
#include "text/memory_bytes.h"
#include "text/platform_file.h"

namespace textrescheck {

namespace {

using textresgen::ByteSource;
using textresgen::DefinitionFileReader;
using textresgen::DefinitionLine;
using textresgen::NumberedLine;
using textresgen::SplitDefinitionLine;
using textresgen::WideString;
using GroupId = DefinitionIndex::GroupId;
using Subject = Diagnostic::Subject;

// A lone CR ends the text but not the line (only LF does): whatever
// follows it on the line, often the next definitions of a file saved
// with old Mac line ends, is never generated.
void CheckTextCutByCR(WideStringView line, const DefinitionLine& definition, LineFindings& findings) {
    const std::size_t cr = static_cast<std::size_t>(definition.text.data() - line.data()) + definition.text.size();
    if (cr >= line.size() || line[cr] != u'\r') return;
    WideStringView rest = line.substr(cr + 1);
    rest = rest.substr(0, rest.find(u'\0'));
    while (!rest.empty() && (rest.back() == u'\n' || rest.back() == u'\r')) rest.remove_suffix(1);
    if (rest.empty()) return;
    findings.Report(Severity::Warning, Subject::Text, [&] {
        return "text of " + Quoted(definition.name) + " ends at a lone CR (U+000D) at character " +
               std::to_string(definition.text.size() + 1) + ", and the generator ignores the rest of the line, " +
               Quoted(rest) + ": only LF or CR LF ends a line";
    });
}

// A line without "=" that looks like a dotted name.
void CheckIgnoredLine(WideStringView line, LineFindings& findings) {
    line = line.substr(0, line.find(u'\0'));
    while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) line.remove_suffix(1);
    if (line.find(u'.') != WideStringView::npos && line.find_first_of(u" \t") == WideStringView::npos) {
        findings.Report(Severity::Warning, Subject::Line, [] {
            return "line holds '.' but no '=': the generator ignores it; "
                   "if it is meant as a definition, it lacks its '='";
        });
    }
}

// The texts of members named after a plural category, kept while the
// lines are read, and each plural message's forms checked against its
// `other` once the whole file is known.
class PluralFormChecker {
public:
    PluralFormChecker(const FileCheck& result, LineFindings& findings) : result_(result), findings_(findings) {}

    // The text of a member that may be a plural form, as the line has it
    // (decoded only when its message is checked, so that a file of many
    // plural messages holds each text once, not a list of characters); a
    // later definition replaces it, as it does for the generator.
    void KeepFormText(GroupId group, WideStringView member, WideStringView text) {
        const std::size_t category = textresgen::PluralCategoryOf(member);
        if (category == textresgen::plural::kNoCategory) return;
        forms_.push_back({group, static_cast<unsigned char>(category), texts_.Keep(text)});
    }

    void CheckPluralMessages() {
        // By message and category, each one's last definition last.
        std::stable_sort(forms_.begin(), forms_.end(), [](const FormText& a, const FormText& b) {
            return a.group != b.group ? a.group < b.group : a.category < b.category;
        });
        const DefinitionIndex& index = result_.index;
        for (const PluralGroup& plural : FindPluralGroups(index)) {
            if (!plural.isMessage) {
                std::string categories;
                for (const PluralGroup::Member& member : plural.members)
                    categories += (categories.empty() ? "" : ", ") + std::string(member.category);
                findings_.AddAfterwards(plural.line, Severity::Warning, Subject::Name,
                                        "group " + Quoted(index.FullName(plural.group)) +
                                            " has only members named after plural categories (" + categories +
                                            ") but no 'other', so it is no plural message: it is not completed to "
                                            "the six categories, which are filled from 'other'; add " +
                                            Quoted(index.FullName(plural.group, u"other")) +
                                            ", or rename a member if it is no plural message");
                continue;
            }
            const PluralGroup::Member* other = plural.Find("other");
            textresgen::LiteralValues reference, values;
            if (!Decoded(plural.group, "other", reference)) continue;  // its own finding says why
            for (const PluralGroup::Member& member : plural.members) {
                if (member.category == "other") continue;
                const WideString name(member.category.begin(), member.category.end());
                if (!Decoded(plural.group, member.category, values)) continue;
                for (const std::string& problem :
                     textresgen::ComparePluralForm(reference, values,
                                                   textresgen::plural::TakesOneCount(std::nullopt, member.category))) {
                    findings_.AddAfterwards(member.line, Severity::Error, Subject::Text,
                                            "text of " + Quoted(index.FullName(plural.group, name)) + ": " +
                                                problem + " (line " + std::to_string(other->line) +
                                                "): printf reads the wrong arguments at run time");
                }
            }
        }
    }

private:
    struct FormText {
        GroupId group;
        unsigned char category;  // an index into plural::kCategoryNames
        WideStringView text;     // in texts_
    };

    // The characters of a member's last definition (sorted forms_); false
    // when its text is no valid literal body.
    bool Decoded(GroupId group, std::string_view categoryName, textresgen::LiteralValues& values) const {
        const auto category = static_cast<unsigned char>(textresgen::plural::CategoryIndex(categoryName));
        const auto end = std::upper_bound(forms_.begin(), forms_.end(), std::make_pair(group, category),
                                          [](const std::pair<GroupId, unsigned char>& key, const FormText& form) {
                                              return key.first != form.group ? key.first < form.group
                                                                             : key.second < form.category;
                                          });
        values.clear();
        if (end == forms_.begin() || std::prev(end)->group != group || std::prev(end)->category != category)
            return false;  // not kept (every member of a plural message is)
        textresgen::LiteralProblem problem;
        return textresgen::DecodeLiteralBody(std::prev(end)->text, values, problem);
    }

    const FileCheck& result_;
    LineFindings& findings_;
    std::vector<FormText> forms_;
    textresgen::Arena<char16_t> texts_;
};

// Checks the lines of one file in order and collects the findings: the
// names of each definition, then its text; what needs the whole file, the
// plural messages, at the end.
class LineChecker final {
public:
    explicit LineChecker(FileCheck& result)
        : findings_(result), names_(result.index, findings_), plurals_(result, findings_) {}

    void Check(std::size_t lineNumber, WideStringView line, bool malformedUtf8) {
        findings_.StartLine(lineNumber);
        if (malformedUtf8)
            findings_.Report(Severity::Warning, Subject::Line, [] { return std::string(textresgen::kMalformedUtf8); });
        const DefinitionLine definition = SplitDefinitionLine(line);
        if (definition.isEntry) {
            const MemberNameChecker::Declared entry = names_.Declare(definition.name);
            findings_.CheckingTextOf(entry.entry);
            CheckLiteralText(definition.text, definition.name, findings_);
            findings_.CheckingTextOf(nullptr);
            plurals_.KeepFormText(entry.group, entry.name, definition.text);
            CheckTextCutByCR(line, definition, findings_);
        } else {
            CheckIgnoredLine(line, findings_);
        }
        findings_.EndLine();
    }

    // The plural messages' findings join the others in line order.
    void Finish(const FileCheck& result) {
        const std::size_t before = result.findings.size();
        plurals_.CheckPluralMessages();
        if (result.findings.size() > before) findings_.SortByLine();
    }

private:
    LineFindings findings_;
    MemberNameChecker names_;
    PluralFormChecker plurals_;
};

// Every line of an opened file through the checker.
FileCheck CheckOpened(DefinitionFileReader& input) {
    FileCheck result;
    LineChecker checker(result);
    NumberedLine line;
    while (input.Next(line)) checker.Check(line.number, line.line, line.malformedUtf8);
    checker.Finish(result);
    if (input.ReadFailed()) {
        result.status = FileCheck::Status::ReadFailed;
        result.problem = input.Problem() + ": the generator stops with ERR! and writes nothing";
    }
    return result;
}

}  // namespace

FileCheck CheckDefinitionSource(std::unique_ptr<ByteSource> source, textresgen::FileProblem problem) {
    DefinitionFileReader input;
    if (!input.Open(std::move(source), problem)) {
        FileCheck refused;
        refused.status = FileCheck::Status::Unreadable;
        refused.problem = input.Problem();
        return refused;
    }
    return CheckOpened(input);
}

FileCheck CheckDefinitionFile(const char* path) {
    if (textresgen::NamesDevice(path)) {
        FileCheck refused;
        refused.status = FileCheck::Status::Unreadable;
        refused.problem = "names a device of Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension), "
                          "not a file: it is not read";
        return refused;
    }
    FileCheck refused;
    std::unique_ptr<ByteSource> source = textresgen::cli::OpenInput(path, refused.problem);
    if (source) return CheckDefinitionSource(std::move(source));
    refused.status = FileCheck::Status::Unreadable;
    return refused;
}

FileCheck CheckDefinitionBytes(std::string_view bytes) {
    return CheckDefinitionSource(std::make_unique<textresgen::MemorySource>(bytes));
}

}  // namespace textrescheck
