#include "l10n/import_findings.h"

#include <utility>

namespace textresl10n {

using textrescheck::Diagnostic;
using textrescheck::Severity;

void AddCheckFindings(textrescheck::FileCheck check, const std::vector<UnitOrigin>& origins, ImportResult& result) {
    for (Diagnostic& finding : check.findings) {
        if (finding.severity == Severity::Note) continue;
        const UnitOrigin origin = finding.line < origins.size() ? origins[finding.line] : origins.front();
        const bool aboutText = finding.subject == Diagnostic::Subject::Text;
        finding.line = aboutText ? origin.translationLine : origin.keyLine;
        if (finding.severity == Severity::Error) result.errors.push_back(std::move(finding));
        else result.AddWarning(std::move(finding));
    }
    if (check.status != textrescheck::FileCheck::Status::Checked)
        result.errors.push_back({0, "the imported definition cannot be read back: " + check.problem});
}

}  // namespace textresl10n
