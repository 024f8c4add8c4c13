#include "check/file_check.h"

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>

#include "check/literal_rules.h"
#include "check/message_text.h"
#include "check/name_rules.h"
#include "check/plural_groups.h"
#include "codec/c_format.h"
#include "codec/literal_body.h"
#include "definition/definition_file.h"
#include "definition/definition_line.h"
#include "definition/generated_names.h"
#include "text/file_problem.h"
#include "text/memory_bytes.h"
#include "text/platform_file.h"

namespace textrescheck {

namespace names = textresgen::names;
namespace {

using textresgen::ByteSource;
using textresgen::DefinitionFileReader;
using textresgen::DefinitionLine;
using textresgen::NumberedLine;
using textresgen::SplitDefinitionLine;
using textresgen::WalkDottedName;
using textresgen::WideString;

// Clang's default limit of bracket nesting (-fbracket-depth); TextResource
// itself is one level, so this many groups nested in it are one too many.
constexpr std::size_t kClangBracketDepth = 256;

// Checks the lines of one file in order and collects the findings.
class LineChecker final : public ProblemSink {
public:
    explicit LineChecker(FileCheck& result) : result_(result) {}

    void Check(std::size_t lineNumber, WideStringView line) {
        line_ = lineNumber;
        shownOnLine_ = 0;
        hiddenErrors_ = 0;
        hiddenWarnings_ = 0;
        const DefinitionLine definition = SplitDefinitionLine(line);
        if (definition.isEntry) {
            CheckDefinition(definition);
            CheckTextCutByCR(line, definition);
        }
        else
            CheckIgnoredLine(line);
        if (hiddenErrors_ + hiddenWarnings_ > 0) {
            hiddenByLine_[line_] = {hiddenErrors_, hiddenWarnings_};
            result_.findings.push_back({line_, HiddenNote(hiddenErrors_, hiddenWarnings_), Severity::Note});
            aboutText_.push_back(false);
        }
    }

    // What needs the whole file: the plural messages, each form against its
    // `other`. Their findings join the others in line order.
    void Finish() {
        const std::size_t before = result_.findings.size();
        CheckPluralMessages();
        if (result_.findings.size() > before)
            std::stable_sort(result_.findings.begin(), result_.findings.end(),
                             [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    }

    static std::string HiddenNote(std::size_t errors, std::size_t warnings) {
        return std::to_string(errors + warnings) + " more findings on this line are not shown (" +
               std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") + std::to_string(warnings) +
               (warnings == 1 ? " warning)" : " warnings)");
    }

    // ProblemSink: counts every finding, keeps the first few of a line.
    bool Take(Severity severity) override {
        (severity == Severity::Error ? result_.errors : result_.warnings) += 1;
        const bool shown = shownOnLine_ < kFindingsShownPerLine;
        if (textEntry_ && severity == Severity::Error) ++(shown ? textEntry_->textErrorsShown : textEntry_->textErrorsHidden);
        if (shown) {
            ++shownOnLine_;
            return true;
        }
        (severity == Severity::Error ? hiddenErrors_ : hiddenWarnings_) += 1;
        return false;
    }
    void Add(Severity severity, std::string message) override {
        result_.findings.push_back({line_, std::move(message), severity});
        aboutText_.push_back(textEntry_ != nullptr);
    }

private:
    using GroupId = DefinitionIndex::GroupId;

    void CheckDefinition(const DefinitionLine& definition) {
        const WideStringView name = definition.name;
        DefinitionIndex& index = result_.index;
        GroupId group = DefinitionIndex::kRoot;
        std::size_t depth = 0;
        const WideStringView entryName = WalkDottedName(name, [&](WideStringView segment, std::size_t end) {
            bool created = false;
            const GroupId child = index.AddGroup(group, segment, line_, created);
            ++depth;
            if (created) {
                CheckName(segment, MemberRole::Group, group, name);
                if (const DefinitionIndex::Entry* entry = index.FindEntry(group, segment)) {
                    Report(Severity::Error, [&] {
                        return "group " + Quoted(name.substr(0, end)) + " clashes with the entry of line " +
                               std::to_string(entry->firstLine) + TwoMembers(segment);
                    });
                }
                CheckOtherSpelling(group, segment, MemberRole::Group, name.substr(0, end));
                CheckGroupS(group, child, segment);
                if (depth == kClangBracketDepth) {
                    Report(Severity::Error, [&] {
                        return "group " + Quoted(name.substr(0, end)) + " is nested " +
                               std::to_string(kClangBracketDepth) +
                               " groups deep: with TextResource around it the header nests its braces one level "
                               "deeper than the " + std::to_string(kClangBracketDepth) +
                               " that Clang allows (-fbracket-depth): Clang rejects the header";
                    });
                }
            }
            group = child;
        });
        DefinitionIndex::Entry* known = index.FindEntry(group, entryName);
        if (known && known->textErrorsShown + known->textErrorsHidden > 0) DropTextErrors(*known);
        const std::size_t previous = index.AddEntry(group, entryName, line_);
        if (previous == 0) {
            CheckName(entryName, MemberRole::Entry, group, name);
            if (const auto clash = index.FindGroup(group, entryName)) {
                Report(Severity::Error, [&] {
                    return "entry " + Quoted(name) + " clashes with the group of line " +
                           std::to_string(index.GroupAt(*clash).line) + TwoMembers(entryName);
                });
            }
            CheckOtherSpelling(group, entryName, MemberRole::Entry, name);
            CheckEntryAfterS(group, name);
        } else {
            Report(Severity::Warning, [&] {
                const std::string earlier = std::to_string(previous);
                return Quoted(name) + " repeats the name of line " + earlier +
                       ": the generator keeps this later text and drops the text of line " + earlier;
            });
        }

        textEntry_ = index.FindEntry(group, entryName);
        CheckLiteralText(definition.text, name, *this);
        textEntry_ = nullptr;
        if (IsCategoryName(entryName)) KeepFormText(group, entryName, definition.text);
    }

    // The text of a member that may be a plural form, for Finish; a later
    // definition replaces it, as it does for the generator.
    void KeepFormText(GroupId group, WideStringView member, WideStringView text) {
        FormText& form = formTexts_[{group, WideString(member)}];
        form.values.clear();
        textresgen::LiteralProblem problem;
        form.decoded = textresgen::DecodeLiteralBody(text, form.values, problem);
    }

    void CheckPluralMessages() {
        const DefinitionIndex& index = result_.index;
        for (const PluralGroup& plural : FindPluralGroups(index)) {
            const PluralGroup::Member* other = plural.Find("other");
            if (!other) {
                std::string categories;
                for (const PluralGroup::Member& member : plural.members)
                    categories += (categories.empty() ? "" : ", ") + member.category;
                AddAfterwards(plural.line, Severity::Warning,
                              "group " + Quoted(index.FullName(plural.group)) +
                                  " has only members named after plural categories (" + categories +
                                  ") but no 'other', so it is no plural message: it is not completed to the six "
                                  "categories, which are filled from 'other'; add " +
                                  Quoted(index.FullName(plural.group, u"other")) +
                                  ", or rename a member if it is no plural message");
                continue;
            }
            const FormText& reference = formTexts_.at({plural.group, u"other"});
            if (!reference.decoded) continue;  // its own finding says why
            for (const PluralGroup::Member& member : plural.members) {
                if (member.category == "other") continue;
                const WideString name(member.category.begin(), member.category.end());
                const FormText& form = formTexts_.at({plural.group, name});
                if (!form.decoded) continue;
                for (const std::string& problem :
                     textresgen::ComparePluralForm(reference.values, form.values, member.category == "one")) {
                    AddAfterwards(member.line, Severity::Error,
                                  "text of " + Quoted(index.FullName(plural.group, name)) + ": " + problem +
                                      " (line " + std::to_string(other->line) +
                                      "): printf reads the wrong arguments at run time");
                }
            }
        }
    }

    // A finding made after the last line, at an earlier one.
    void AddAfterwards(std::size_t line, Severity severity, std::string message) {
        (severity == Severity::Error ? result_.errors : result_.warnings) += 1;
        result_.findings.push_back({line, std::move(message), severity});
        aboutText_.push_back(false);
    }

    // The entry is defined again on this line: the generator drops the text
    // of its earlier definition, so the errors of that text break nothing
    // any more. They stay in the report as warnings that say so.
    void DropTextErrors(DefinitionIndex::Entry& entry) {
        const std::size_t dropped = entry.textErrorsShown + entry.textErrorsHidden;
        result_.errors -= dropped;
        result_.warnings += dropped;
        std::vector<Diagnostic>& findings = result_.findings;
        const auto first = std::lower_bound(findings.begin(), findings.end(), entry.lastLine,
                                            [](const Diagnostic& f, std::size_t line) { return f.line < line; });
        for (auto f = first; f != findings.end() && f->line == entry.lastLine; ++f) {
            if (aboutText_[static_cast<std::size_t>(f - findings.begin())] && f->severity == Severity::Error) {
                f->severity = Severity::Warning;
                f->message += " (but line " + std::to_string(line_) + " defines it again, and the generator drops this text)";
            } else if (f->severity == Severity::Note && entry.textErrorsHidden > 0) {
                Hidden& hidden = hiddenByLine_.at(entry.lastLine);
                hidden.errors -= entry.textErrorsHidden;
                hidden.warnings += entry.textErrorsHidden;
                f->message = HiddenNote(hidden.errors, hidden.warnings);
            }
        }
        entry.textErrorsShown = 0;
        entry.textErrorsHidden = 0;
    }

    template <typename Message>
    void Report(Severity severity, Message message) {
        if (Take(severity)) Add(severity, message());
    }

    static std::string TwoMembers(WideStringView member) {
        return ": the header declares two members named " + Quoted(member) + " and will not compile";
    }

    void CheckName(WideStringView segment, MemberRole role, GroupId group, WideStringView fullName) {
        MemberName member;
        member.name = segment;
        member.role = role;
        member.topLevel = group == DefinitionIndex::kRoot;
        member.enclosingGroup = *result_.index.GroupAt(group).name;
        member.fullName = fullName;
        if (const auto verdict = JudgeMemberName(member))
            Report(verdict->severity, [&] { return DescribeNameProblem(member, *verdict); });
    }

    // Two spellings of one identifier ("caf\\u00E9" and "café", "Title " and
    // "Title"): different names to the generator, so two members, but one
    // name to the compiler.
    void CheckOtherSpelling(GroupId group, WideStringView segment, MemberRole role, WideStringView fullName) {
        const bool respelled = segment.find(u'\\') != WideStringView::npos ||
                               (!segment.empty() && (IsBlank(segment.front()) || IsBlank(segment.back())));
        if (!respelled && spellings_.empty()) return;
        WideString identifier = IdentifierOf(segment);
        if (respelled && identifier == segment) return;
        const auto found = spellings_.find({group, identifier});
        std::size_t otherLine = 0;
        WideString other;
        if (found != spellings_.end() && found->second.spelling != segment) {
            otherLine = found->second.line;
            other = found->second.spelling;
        } else if (respelled) {
            const DefinitionIndex& index = result_.index;
            if (const DefinitionIndex::Entry* entry = index.FindEntry(group, identifier)) {
                otherLine = entry->firstLine;
                other = identifier;
            } else if (const auto clash = index.FindGroup(group, identifier)) {
                otherLine = index.GroupAt(*clash).line;
                other = identifier;
            }
        }
        if (respelled && found == spellings_.end())
            spellings_.emplace(Spelled{group, std::move(identifier)}, Spelling{WideString(segment), line_});
        if (otherLine == 0) return;
        Report(Severity::Error, [&] {
            return std::string(role == MemberRole::Group ? "group " : "entry ") + Quoted(fullName) +
                   " spells the identifier of " + Quoted(other) + " (line " + std::to_string(otherLine) +
                   ") another way (blanks around it, universal character names)" + TwoMembers(segment);
        });
    }

    static bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }

    // A group S below the top level declares a member S in its enclosing
    // structure: GCC rejects the structure when an entry of it has used the
    // type S before (entries come first), and both compilers reject a group
    // declared after it (in name order) whose members use S.
    void CheckGroupS(GroupId parent, GroupId child, WideStringView segment) {
        const DefinitionIndex& index = result_.index;
        if (parent == DefinitionIndex::kRoot) return;
        if (segment == names::kMemberType) {
            groupS_.emplace(parent, GroupSState{child, line_, false});
            if (index.HasEntries(parent)) {
                ReportGroupS(parent, "an entry of it uses the type S before (GCC rejects the header)");
            } else if (index.HasGroupAfter(parent, names::kMemberType)) {
                ReportGroupS(parent, "a group after it uses the name S as the type (the header will not compile)");
            }
        } else if (segment > names::kMemberType) {
            ReportGroupS(parent, "a group after it uses the name S as the type (the header will not compile)");
        }
    }

    void CheckEntryAfterS(GroupId group, WideStringView) {
        if (group != DefinitionIndex::kRoot)
            ReportGroupS(group, "an entry of it uses the type S before (GCC rejects the header)");
    }

    // Reports, once per structure, that its group S breaks it.
    void ReportGroupS(GroupId parent, const char* why) {
        const auto found = groupS_.find(parent);
        if (found == groupS_.end() || found->second.reported) return;
        found->second.reported = true;
        const DefinitionIndex& index = result_.index;
        Report(Severity::Error, [&] {
            return "group " + Quoted(index.FullName(found->second.group)) + " (line " +
                   std::to_string(found->second.line) + ") declares a member S in " +
                   Quoted(index.FullName(parent)) + ", where " + why +
                   ": S then no longer names the type there; rename the group";
        });
    }

    // A lone CR ends the text but not the line (only LF does): whatever
    // follows it on the line, often the next definitions of a file saved
    // with old Mac line ends, is never generated.
    void CheckTextCutByCR(WideStringView line, const DefinitionLine& definition) {
        const std::size_t cr = static_cast<std::size_t>(definition.text.data() - line.data()) + definition.text.size();
        if (cr >= line.size() || line[cr] != u'\r') return;
        WideStringView rest = line.substr(cr + 1);
        rest = rest.substr(0, rest.find(u'\0'));
        while (!rest.empty() && (rest.back() == u'\n' || rest.back() == u'\r')) rest.remove_suffix(1);
        if (rest.empty()) return;
        Report(Severity::Warning, [&] {
            return "text of " + Quoted(definition.name) + " ends at a lone CR (U+000D) at character " +
                   std::to_string(definition.text.size() + 1) + ", and the generator ignores the rest of the line, " +
                   Quoted(rest) + ": only LF or CR LF ends a line";
        });
    }

    // A line without "=" that looks like a dotted name.
    void CheckIgnoredLine(WideStringView line) {
        line = line.substr(0, line.find(u'\0'));
        while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) line.remove_suffix(1);
        if (line.find(u'.') != WideStringView::npos && line.find_first_of(u" \t") == WideStringView::npos) {
            Report(Severity::Warning, [] {
                return "line holds '.' but no '=': the generator ignores it; "
                       "if it is meant as a definition, it lacks its '='";
            });
        }
    }

    struct Spelled {
        GroupId group;
        WideString identifier;
        bool operator<(const Spelled& other) const {
            return group != other.group ? group < other.group : identifier < other.identifier;
        }
    };
    struct Spelling {
        WideString spelling;
        std::size_t line;
    };
    struct GroupSState {
        GroupId group;
        std::size_t line;
        bool reported;
    };
    struct Hidden {
        std::size_t errors;
        std::size_t warnings;
    };
    struct FormText {
        bool decoded = false;
        textresgen::LiteralValues values;
    };

    FileCheck& result_;
    std::size_t line_ = 0;
    std::size_t shownOnLine_ = 0;
    std::size_t hiddenErrors_ = 0;
    std::size_t hiddenWarnings_ = 0;
    DefinitionIndex::Entry* textEntry_ = nullptr;  // while its text is checked
    std::vector<bool> aboutText_;  // of each finding: a problem of its line's text
    // The findings past the cap of a line, by line, for the note that counts them.
    std::unordered_map<std::size_t, Hidden> hiddenByLine_;
    // Names spelled with universal character names, by the identifier they spell.
    std::map<Spelled, Spelling> spellings_;
    // Nested structures that hold a group S, by that structure.
    std::map<GroupId, GroupSState> groupS_;
    // The texts of members named after a plural category, by group and name.
    std::map<std::pair<GroupId, WideString>, FormText> formTexts_;
};

// Every line of an opened file through the checker.
FileCheck CheckOpened(DefinitionFileReader& input) {
    FileCheck result;
    LineChecker checker(result);
    NumberedLine line;
    while (input.Next(line)) checker.Check(line.number, line.line);
    checker.Finish();
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
    std::unique_ptr<ByteSource> source = textresgen::OpenFileSource(path);
    const textresgen::FileProblem problem = source ? textresgen::FileProblem::Other : textresgen::LastFileProblem();
    return CheckDefinitionSource(std::move(source), problem);
}

FileCheck CheckDefinitionBytes(std::string_view bytes) {
    return CheckDefinitionSource(std::make_unique<textresgen::MemorySource>(bytes));
}

}  // namespace textrescheck
