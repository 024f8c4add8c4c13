#include "check/check_run.h"

#include <algorithm>
#include <optional>

#include "check/file_check.h"
#include "check/layout_compare.h"
#include "check/message_text.h"
#include "check/placeholder_compare.h"

namespace textrescheck {
namespace {

constexpr std::size_t kReportChunk = 64 * 1024;  // bytes handed to the sink at a time

const char* SeverityWord(Severity severity) {
    switch (severity) {
        case Severity::Error: return "error";
        case Severity::Warning: return "warning";
        case Severity::Note: break;
    }
    return "note";
}

std::string Count(std::size_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

// A file's own findings and its layout findings, in line order; findings
// about the whole file (line 0) last.
std::vector<Finding> Merge(std::vector<Finding> own, std::vector<Finding> layout) {
    const auto lineKey = [](const Finding& f) { return f.line == 0 ? static_cast<std::size_t>(-1) : f.line; };
    own.insert(own.end(), std::make_move_iterator(layout.begin()), std::make_move_iterator(layout.end()));
    std::stable_sort(own.begin(), own.end(),
                     [&](const Finding& a, const Finding& b) { return lineKey(a) < lineKey(b); });
    return own;
}

}  // namespace

std::string FormatFinding(std::string_view path, const Finding& finding) {
    std::string line = ShownPath(path);
    if (finding.line != 0) line += ":" + std::to_string(finding.line);
    line += ": ";
    line += SeverityWord(finding.severity);
    line += ": ";
    line += finding.message;
    line += "\n";
    return line;
}

int RunCheck(const std::vector<std::string>& paths, const ReportSink& out) {
    return RunCheck(paths, out, [](const std::string& path) { return CheckDefinitionFile(path.c_str()); });
}

int RunCheck(const std::vector<std::string>& givenPaths, const ReportSink& out, const FileChecker& checkFile) {
    const std::vector<std::string> paths =
        givenPaths.empty() ? std::vector<std::string>{kDefaultDefinitionFile} : givenPaths;

    std::size_t errors = 0;
    std::size_t warnings = 0;
    std::size_t unreadable = 0;
    std::optional<FileCheck> reference;
    std::string referencePath;
    std::optional<PlaceholderReference> placeholders;

    for (const std::string& path : paths) {
        FileCheck check = checkFile(path);
        std::vector<Finding> layout;
        if (check.status == FileCheck::Status::Checked && reference) {
            layout = CompareLayouts(reference->index, referencePath, check.index);
            if (placeholders) {
                std::vector<Finding> mismatches = placeholders->Compare(path);
                layout.insert(layout.end(), std::make_move_iterator(mismatches.begin()),
                              std::make_move_iterator(mismatches.end()));
            }
        }
        check.errors += layout.size();

        std::string report;
        for (const Finding& finding : Merge(std::move(check.findings), std::move(layout))) {
            report += FormatFinding(path, finding);
            if (report.size() >= kReportChunk) {
                out(report);
                report.clear();
            }
        }
        if (check.status != FileCheck::Status::Checked) {
            ++unreadable;
            report += FormatFinding(path, {0, Severity::Error, check.problem});
        }
        out(report);

        errors += check.errors;
        warnings += check.warnings;
        if (check.status == FileCheck::Status::Checked && !reference) {
            reference = std::move(check);
            referencePath = ShownPath(path);
            placeholders = PlaceholderReference::Read(path);
        }
    }

    std::string summary = paths.size() == 1 ? ShownPath(paths.front()) : std::to_string(paths.size()) + " files";
    summary += ": " + Count(errors, "error", "errors") + ", " + Count(warnings, "warning", "warnings");
    if (unreadable > 0) summary += ", " + std::to_string(unreadable) + " not readable";
    out(summary + "\n");

    if (unreadable > 0) return kExitUnreadable;
    return errors > 0 ? kExitErrors : kExitClean;
}

}  // namespace textrescheck
