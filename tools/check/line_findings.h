#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

#include "check/definition_index.h"
#include "check/cli_names.h"
#include "check/file_check.h"
#include "check/literal_rules.h"

namespace textrescheck {

// The findings of one file as its lines are checked in order: every one
// counted, the first kFindingsShownPerLine of a line kept and the rest
// counted in one note. As a ProblemSink it takes the findings of the text
// being checked (CheckingTextOf).
class LineFindings final : public ProblemSink {
public:
    using Subject = Diagnostic::Subject;

    explicit LineFindings(FileCheck& result) : result_(result) {}

    // Findings from here on are about line `line`, until EndLine, which adds
    // the note of those not shown.
    void StartLine(std::size_t line);
    void EndLine();
    std::size_t Line() const { return line_; }

    // The message is built only when it will be shown.
    template <typename Message>
    void Report(Severity severity, Subject subject, Message message) {
        if (Take(severity)) Push(line_, severity, subject, message());
    }

    // The entry whose text the literal rules check now (null: none), so that
    // its errors can be dropped when a later line defines it again.
    void CheckingTextOf(DefinitionIndex::Entry* entry) { textEntry_ = entry; }
    // The entry is defined again on this line: the generator drops the text
    // of its earlier definition, so the errors of that text break nothing
    // any more. They stay in the report as warnings that say so.
    void DropTextErrors(DefinitionIndex::Entry& entry);

    // A finding made after the last line, at an earlier one, always shown;
    // SortByLine puts it in its place.
    void AddAfterwards(std::size_t line, Severity severity, Subject subject, std::string message);
    void SortByLine();

    // ProblemSink: counts every finding, keeps the first few of a line.
    bool Take(Severity severity) override;
    // ProblemSink: a finding of the literal rules, about the text.
    void Add(Severity severity, std::string message) override;

private:
    struct Hidden {
        std::size_t errors;
        std::size_t warnings;
    };

    static std::string HiddenNote(std::size_t errors, std::size_t warnings);
    void Push(std::size_t line, Severity severity, Subject subject, std::string message);

    FileCheck& result_;
    std::size_t line_ = 0;
    std::size_t shownOnLine_ = 0;
    std::size_t hiddenErrors_ = 0;
    std::size_t hiddenWarnings_ = 0;
    DefinitionIndex::Entry* textEntry_ = nullptr;
    // The findings past the cap of a line, by line, for the note that counts them.
    std::unordered_map<std::size_t, Hidden> hiddenByLine_;
};

}  // namespace textrescheck
