#include "check/check_run.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "check/file_check.h"
#include "check/layout_compare.h"
#include "check/cli_names.h"
#include "check/placeholder_compare.h"
#include "check/plural_groups.h"
#include "runtime/plural_rules.h"

namespace textrescheck {
namespace {

std::string Count(std::size_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

// A file's own findings and its layout findings, in line order; findings
// about the whole file (line 0) last.
std::vector<Diagnostic> Merge(std::vector<Diagnostic> own, std::vector<Diagnostic> layout) {
    const auto lineKey = [](const Diagnostic& f) { return f.line == 0 ? static_cast<std::size_t>(-1) : f.line; };
    own.insert(own.end(), std::make_move_iterator(layout.begin()), std::make_move_iterator(layout.end()));
    std::stable_sort(own.begin(), own.end(),
                     [&](const Diagnostic& a, const Diagnostic& b) { return lineKey(a) < lineKey(b); });
    return own;
}

// The full names of the forms for a single count of the groups of category
// names (a definition file's: `one`): a translation of one may leave out
// the count, as the form itself may.
std::unordered_set<WideString> SingleCountForms(const DefinitionIndex& index) {
    std::unordered_set<WideString> names;
    for (const PluralGroup& plural : FindPluralGroups(index)) {
        for (const PluralGroup::Member& member : plural.members) {
            if (!textresgen::plural::TakesOneCount(std::nullopt, member.category)) continue;
            names.insert(index.FullName(plural.group, WideString(member.category.begin(), member.category.end())));
        }
    }
    return names;
}

}  // namespace

int RunCheck(const std::vector<std::string>& paths, const ReportSink& out, const CheckOptions& options) {
    return RunCheck(
        paths, out, [](const std::string& path) { return CheckDefinitionFile(path.c_str()); }, options);
}

int RunCheck(const std::vector<std::string>& givenPaths, const ReportSink& out, const FileChecker& checkFile,
             const CheckOptions& options) {
    const std::vector<std::string> paths =
        givenPaths.empty() ? std::vector<std::string>{kDefaultDefinitionFile} : givenPaths;

    Reporter reporter(out);
    std::size_t unreadable = 0;
    std::optional<FileCheck> reference;
    std::string referencePath;
    std::optional<PlaceholderReference> placeholders;

    for (const std::string& path : paths) {
        FileCheck check = checkFile(path);
        std::vector<Diagnostic> layout;
        if (check.status == FileCheck::Status::Checked) layout = CheckPluralLanguages(check.index, options.languages);
        if (check.status == FileCheck::Status::Checked && reference) {
            std::vector<Diagnostic> differences = CompareLayouts(reference->index, referencePath, check.index);
            layout.insert(layout.end(), std::make_move_iterator(differences.begin()),
                          std::make_move_iterator(differences.end()));
            if (placeholders) {
                std::vector<Diagnostic> mismatches = placeholders->Compare(path);
                layout.insert(layout.end(), std::make_move_iterator(mismatches.begin()),
                              std::make_move_iterator(mismatches.end()));
            }
        }

        // Every finding is counted, the ones past a line's cap too.
        std::size_t shownErrors = 0, shownWarnings = 0;
        for (const Diagnostic& finding : check.findings) {
            shownErrors += finding.severity == Severity::Error;
            shownWarnings += finding.severity == Severity::Warning;
        }
        reporter.CountUnshown(check.errors - shownErrors, check.warnings - shownWarnings);
        for (Diagnostic& finding : Merge(std::move(check.findings), std::move(layout))) {
            finding.file = path;
            reporter.Report(std::move(finding));
        }
        if (check.status != FileCheck::Status::Checked) {
            // Counted as not readable, not as an error.
            ++unreadable;
            Diagnostic refused(0, check.problem);
            refused.file = path;
            reporter.Print(FormatDiagnostic(refused));
        }
        reporter.Flush();

        if (check.status == FileCheck::Status::Checked && !reference) {
            reference = std::move(check);
            referencePath = ShownPath(path);
            placeholders = PlaceholderReference::Read(path, SingleCountForms(reference->index));
        }
    }

    std::string summary = paths.size() == 1 ? ShownPath(paths.front()) : std::to_string(paths.size()) + " files";
    summary += ": " + Count(reporter.Errors(), "error", "errors") + ", " + Count(reporter.Warnings(), "warning", "warnings");
    if (unreadable > 0) summary += ", " + std::to_string(unreadable) + " not readable";
    reporter.Print(summary + "\n");
    reporter.Flush();

    if (unreadable > 0) return kExitUnreadable;
    return reporter.Errors() > 0 ? kExitErrors : kExitClean;
}

}  // namespace textrescheck
