#include "fuzz/check_properties.h"

#include <cstdlib>
#include <regex>
#include <vector>

#include "check/check_run.h"
#include "check/file_check.h"

namespace textrescheck::properties {
namespace {

// Decodes well-formed UTF-8; false at the first ill-formed sequence.
bool DecodeUtf8(std::string_view bytes, std::vector<char32_t>& out) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || i + length > bytes.size()) return false;
        char32_t c = length == 1 ? b : b & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = (c << 6) | (next & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < least[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        out.push_back(c);
        i += length;
    }
    return true;
}

// What must never reach a terminal, listed here independently of the
// checker's own tables: controls, the invisible characters that reorder or
// hide text, separators, the byte-order mark, noncharacters.
bool IsForbidden(char32_t c) {
    return (c < 0x20 && c != '\n') || (c >= 0x7F && c <= 0x9F) || c == 0xAD || c == 0x061C ||
           (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) ||
           c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB) || (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE ||
           (c >= 0xE0000 && c <= 0xE007F);
}

std::string Run(const std::vector<std::string>& names, const std::vector<std::string_view>& files, int& status) {
    std::string report;
    status = RunCheck(
        names, [&](std::string_view piece) { report.append(piece); },
        [&](const std::string& path) {
            for (std::size_t i = 0; i < names.size(); ++i)
                if (names[i] == path) return CheckDefinitionBytes(files[i]);
            std::abort();
        });
    return report;
}

}  // namespace

std::string CheckReportText(const std::string& report, int status, int files) {
    std::vector<char32_t> decoded;
    if (!DecodeUtf8(report, decoded)) return "the report is not well-formed UTF-8";
    for (const char32_t c : decoded) {
        if (IsForbidden(c)) return "the report holds the character " + std::to_string(static_cast<unsigned long>(c));
    }
    if (report.empty() || report.back() != '\n') return "the report does not end with a line end";

    static const std::regex finding("^([AB])\\.txt(?::([1-9][0-9]*))?: (error|warning|note): (.*)$");
    static const std::regex note("^([0-9]+) more findings on this line are not shown \\(([0-9]+) errors?, ([0-9]+) warnings?\\)$");
    static const std::regex summary(
        "^(?:A\\.txt|([0-9]+) files): ([0-9]+) errors?, ([0-9]+) warnings?(?:, ([0-9]+) not readable)?$");
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < report.size();) {
        const std::size_t end = report.find('\n', start);
        lines.push_back(report.substr(start, end - start));
        start = end + 1;
    }
    unsigned long long errors = 0, warnings = 0;
    std::string file;
    unsigned long long lastLine = 0;
    unsigned long long shownOnLine = 0;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        std::smatch m;
        if (!std::regex_match(lines[i], m, finding)) return "not a finding line: " + lines[i];
        if (m[1].str() != file) {
            file = m[1].str();
            lastLine = 0;
            shownOnLine = 0;
        }
        const unsigned long long line = m[2].matched ? std::stoull(m[2].str()) : ~0ull;
        if (line < lastLine) return "findings out of line order at: " + lines[i];
        if (line != lastLine) shownOnLine = 0;
        lastLine = line;
        const std::string severity = m[3].str();
        if (severity == "note") {
            std::smatch n;
            const std::string message = m[4].str();
            if (!std::regex_match(message, n, note)) return "unknown note: " + lines[i];
            if (std::stoull(n[1].str()) != std::stoull(n[2].str()) + std::stoull(n[3].str()))
                return "a note whose counts do not add up: " + lines[i];
            if (shownOnLine < kFindingsShownPerLine) return "a note on a line that shows fewer than the cap: " + lines[i];
            errors += std::stoull(n[2].str());
            warnings += std::stoull(n[3].str());
            continue;
        }
        // The cap is for a file's own findings; the comparison with the first
        // file adds at most one per line (the topmost extra group or entry).
        if (line != ~0ull && ++shownOnLine > kFindingsShownPerLine &&
            (shownOnLine > kFindingsShownPerLine + 2 || lines[i].find(" is not in A.txt") == std::string::npos))
            return "more findings than the cap on: " + lines[i];
        (severity == "error" ? errors : warnings) += 1;
    }
    std::smatch m;
    if (!std::regex_match(lines.back(), m, summary)) return "not a summary: " + lines.back();
    if ((files == 1) == m[1].matched || (m[1].matched && std::stoi(m[1].str()) != files))
        return "the summary names the wrong number of files: " + lines.back();
    const unsigned long long unreadable = m[4].matched ? std::stoull(m[4].str()) : 0;
    // A file that cannot be read is reported as an error finding but not counted.
    if (std::stoull(m[2].str()) + unreadable != errors || std::stoull(m[3].str()) != warnings)
        return "the summary does not count the printed findings: " + lines.back();
    const int expected = unreadable > 0 ? kExitUnreadable : std::stoull(m[2].str()) > 0 ? kExitErrors : kExitClean;
    if (status != expected) return "exit status " + std::to_string(status) + " disagrees with " + lines.back();
    return "";
}

std::string CheckReport(std::string_view definition) {
    int status = 0;
    const std::string alone = Run({"A.txt"}, {definition}, status);
    if (std::string failure = CheckReportText(alone, status, 1); !failure.empty()) return "alone: " + failure;
    const std::string pair = Run({"A.txt", "B.txt"}, {definition.substr(0, definition.size() / 2), definition}, status);
    if (std::string failure = CheckReportText(pair, status, 2); !failure.empty()) return "compared: " + failure;
    return "";
}

}  // namespace textrescheck::properties
