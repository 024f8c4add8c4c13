#include "check/line_findings.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace textrescheck {

void LineFindings::StartLine(std::size_t line) {
    line_ = line;
    shownOnLine_ = 0;
    hiddenErrors_ = 0;
    hiddenWarnings_ = 0;
}

void LineFindings::EndLine() {
    if (hiddenErrors_ + hiddenWarnings_ == 0) return;
    hiddenByLine_[line_] = {hiddenErrors_, hiddenWarnings_};
    Push(line_, Severity::Note, Subject::Line, HiddenNote(hiddenErrors_, hiddenWarnings_));
}

std::string LineFindings::HiddenNote(std::size_t errors, std::size_t warnings) {
    return std::to_string(errors + warnings) + " more findings on this line are not shown (" +
           std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") + std::to_string(warnings) +
           (warnings == 1 ? " warning)" : " warnings)");
}

bool LineFindings::Take(Severity severity) {
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

void LineFindings::Add(Severity severity, std::string message) {
    Push(line_, severity, Subject::Text, std::move(message));
}

void LineFindings::Push(std::size_t line, Severity severity, Subject subject, std::string message) {
    result_.findings.push_back({line, std::move(message), severity});
    result_.findings.back().subject = subject;
}

void LineFindings::AddAfterwards(std::size_t line, Severity severity, Subject subject, std::string message) {
    (severity == Severity::Error ? result_.errors : result_.warnings) += 1;
    Push(line, severity, subject, std::move(message));
}

void LineFindings::SortByLine() {
    std::stable_sort(result_.findings.begin(), result_.findings.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
}

void LineFindings::DropTextErrors(DefinitionIndex::Entry& entry) {
    const std::size_t dropped = entry.textErrorsShown + entry.textErrorsHidden;
    result_.errors -= dropped;
    result_.warnings += dropped;
    std::vector<Diagnostic>& findings = result_.findings;
    const auto first = std::lower_bound(findings.begin(), findings.end(), entry.lastLine,
                                        [](const Diagnostic& f, std::size_t line) { return f.line < line; });
    for (auto f = first; f != findings.end() && f->line == entry.lastLine; ++f) {
        if (f->subject == Subject::Text && f->severity == Severity::Error) {
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

}  // namespace textrescheck
