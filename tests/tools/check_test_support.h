#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "check/check_run.h"
#include "check/file_check.h"
#include "check/plural_groups.h"

namespace textrescheck::testing {

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A finding as the program prints it for the file `path`.
inline std::string FormatFinding(std::string path, Diagnostic finding) {
    finding.file = std::move(path);
    return FormatDiagnostic(finding);
}

// The printed finding lines (without their LF) for a definition file whose
// body is given in UTF-8 and stored with the UTF-8 mark, named T.txt, with
// the project's `languages` (--languages), in line order as RunCheck prints them.
inline std::vector<std::string> PrintedLines(std::string_view utf8Body, const std::vector<std::string>& languages = {}) {
    FileCheck check = CheckDefinitionBytes(std::string(kUtf8Mark) + std::string(utf8Body));
    for (Diagnostic& finding : CheckPluralLanguages(check.index, languages)) check.findings.push_back(std::move(finding));
    std::stable_sort(check.findings.begin(), check.findings.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    std::vector<std::string> lines;
    for (const Diagnostic& finding : check.findings) {
        std::string line = FormatFinding("T.txt", finding);
        line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace textrescheck::testing
