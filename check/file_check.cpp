#include "check/file_check.h"

#include <memory>

#include "check/literal_rules.h"
#include "check/message_text.h"
#include "check/name_rules.h"
#include "model/definition_line.h"
#include "text/memory_bytes.h"
#include "text/platform_file.h"
#include "text/utf16_reader.h"

namespace textrescheck {
namespace {

using textresgen::ByteSource;
using textresgen::DefinitionLine;
using textresgen::SplitDefinitionLine;
using textresgen::WalkDottedName;
using textresgen::Utf16Reader;

// What the first reads of a file showed, to say why it was refused.
struct OpenProbe {
    bool opened = false;
    bool readError = false;
    unsigned char head[2] = {};
    std::size_t headCount = 0;
};

// Passes reads through and records them in an OpenProbe.
class ProbingSource final : public ByteSource {
public:
    ProbingSource(std::unique_ptr<ByteSource> inner, OpenProbe& probe) : inner_(std::move(inner)), probe_(probe) {}

    Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) override {
        const Status status = inner_->Read(buffer, capacity, count);
        if (status == Status::Error) probe_.readError = true;
        for (std::size_t i = 0; status == Status::Data && i < count && probe_.headCount < 2; ++i)
            probe_.head[probe_.headCount++] = buffer[i];
        return status;
    }

private:
    std::unique_ptr<ByteSource> inner_;
    OpenProbe& probe_;
};

std::string WhyRefused(const OpenProbe& probe) {
    if (!probe.opened) return "cannot be opened: it is missing or not accessible";
    if (probe.readError) return "cannot be read: it is a folder, or reading it failed";
    if (probe.headCount == 2 && probe.head[0] == 0xFE && probe.head[1] == 0xFF)
        return "starts with the UTF-16 big-endian mark FE FF, which the generator refuses: "
               "save it as UTF-16LE, or as UTF-8 with its mark";
    return "cannot be read";
}

// Checks the lines of one file in order and collects the findings.
class LineChecker {
public:
    explicit LineChecker(FileCheck& result) : result_(result) {}

    void Check(std::size_t lineNumber, WideStringView line) {
        line_ = lineNumber;
        shownOnLine_ = 0;
        hiddenOnLine_ = 0;
        const DefinitionLine definition = SplitDefinitionLine(line);
        if (definition.isEntry)
            CheckDefinition(definition);
        else
            CheckIgnoredLine(line);
        if (hiddenOnLine_ > 0) {
            result_.findings.push_back({line_, Severity::Note,
                                        std::to_string(hiddenOnLine_) + " more findings on this line are not shown"});
        }
    }

private:
    void CheckDefinition(const DefinitionLine& definition) {
        const WideStringView name = definition.name;
        DefinitionIndex& index = result_.index;
        DefinitionIndex::GroupId group = DefinitionIndex::kRoot;
        const WideStringView entryName = WalkDottedName(name, [&](WideStringView segment, std::size_t end) {
            bool created = false;
            const DefinitionIndex::GroupId child = index.AddGroup(group, segment, line_, created);
            if (created) {
                CheckName(segment, MemberRole::Group, group, name);
                if (const DefinitionIndex::Entry* entry = index.FindEntry(group, segment)) {
                    Add(Severity::Error, "group " + Quoted(name.substr(0, end)) + " clashes with the entry of line " +
                                             std::to_string(entry->firstLine) + TwoMembers(segment));
                }
            }
            group = child;
        });
        const std::size_t previous = index.AddEntry(group, entryName, line_);
        if (previous == 0) {
            CheckName(entryName, MemberRole::Entry, group, name);
            if (const auto clash = index.FindGroup(group, entryName)) {
                Add(Severity::Error, "entry " + Quoted(name) + " clashes with the group of line " +
                                         std::to_string(index.GroupAt(*clash).line) + TwoMembers(entryName));
            }
        } else {
            const std::string earlier = std::to_string(previous);
            Add(Severity::Warning, Quoted(name) + " repeats the name of line " + earlier +
                                       ": the generator keeps this later text and drops the text of line " + earlier);
        }

        for (TextProblem& problem : CheckLiteralText(definition.text, name))
            Add(problem.severity, std::move(problem.message));
    }

    static std::string TwoMembers(WideStringView member) {
        return ": the header declares two members named " + Quoted(member) + " and will not compile";
    }

    void CheckName(WideStringView segment, MemberRole role, DefinitionIndex::GroupId group, WideStringView fullName) {
        MemberName member;
        member.name = segment;
        member.role = role;
        member.topLevel = group == DefinitionIndex::kRoot;
        member.enclosingGroup = *result_.index.GroupAt(group).name;
        member.fullName = fullName;
        if (auto problem = CheckMemberName(member)) Add(problem->severity, std::move(problem->message));
    }

    // A line without "=" that looks like a dotted name.
    void CheckIgnoredLine(WideStringView line) {
        line = line.substr(0, line.find(u'\0'));
        while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) line.remove_suffix(1);
        if (line.find(u'.') != WideStringView::npos && line.find_first_of(u" \t") == WideStringView::npos) {
            Add(Severity::Warning, "line holds '.' but no '=': the generator ignores it; "
                                   "if it is meant as a definition, it lacks its '='");
        }
    }

    void Add(Severity severity, std::string message) {
        (severity == Severity::Error ? result_.errors : result_.warnings) += 1;
        if (shownOnLine_ == kFindingsShownPerLine) {
            ++hiddenOnLine_;
            return;
        }
        ++shownOnLine_;
        result_.findings.push_back({line_, severity, std::move(message)});
    }

    FileCheck& result_;
    std::size_t line_ = 0;
    std::size_t shownOnLine_ = 0;
    std::size_t hiddenOnLine_ = 0;
};

FileCheck CheckOpened(Utf16Reader& input) {
    FileCheck result;
    LineChecker checker(result);
    WideStringView line;
    std::size_t lineNumber = 0;
    while (input.ReadLine(line)) checker.Check(++lineNumber, line);
    if (input.ReadFailed()) {
        result.status = FileCheck::Status::ReadFailed;
        result.problem = "reading failed after line " + std::to_string(lineNumber) +
                         ": the generator stops with ERR! and writes nothing";
    }
    return result;
}

}  // namespace

FileCheck CheckDefinitionSource(std::unique_ptr<ByteSource> source) {
    OpenProbe probe;
    probe.opened = source != nullptr;
    Utf16Reader input;
    if (!probe.opened || !input.Open(std::make_unique<ProbingSource>(std::move(source), probe))) {
        FileCheck refused;
        refused.status = FileCheck::Status::Unreadable;
        refused.problem = WhyRefused(probe);
        return refused;
    }
    return CheckOpened(input);
}

FileCheck CheckDefinitionFile(const char* path) { return CheckDefinitionSource(textresgen::OpenFileSource(path)); }

FileCheck CheckDefinitionBytes(std::string_view bytes) {
    return CheckDefinitionSource(std::make_unique<textresgen::MemorySource>(bytes));
}

}  // namespace textrescheck
