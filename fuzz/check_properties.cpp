#include "fuzz/check_properties.h"

#include <cstdlib>
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

// Reads the decimal number at text[i], advancing i; false when none is there.
bool Number(const std::string& text, std::size_t& i, unsigned long long& value) {
    const std::size_t start = i;
    value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 19) value = value * 10 + (text[i++] - '0');
    return i > start;
}

// Consumes `word` at text[i].
bool Word(const std::string& text, std::size_t& i, std::string_view word) {
    if (text.compare(i, word.size(), word) != 0) return false;
    i += word.size();
    return true;
}

// "N error(s), M warning(s)" at text[i].
bool Counts(const std::string& text, std::size_t& i, unsigned long long& errors, unsigned long long& warnings) {
    return Number(text, i, errors) && Word(text, i, errors == 1 ? " error, " : " errors, ") &&
           Number(text, i, warnings) && Word(text, i, warnings == 1 ? " warning" : " warnings");
}

// A finding line: FILE ":" [LINE ":"] " " SEVERITY ": " MESSAGE.
struct FindingLine {
    std::string file;
    unsigned long long line = ~0ull;  // ~0: about the whole file
    std::string severity;
    std::string message;
};

bool ParseFinding(const std::string& text, FindingLine& out) {
    std::size_t i = 0;
    if (!Word(text, i, "A.txt:") && !Word(text, i, "B.txt:")) return false;
    out.file = text.substr(0, 1);
    if (i < text.size() && text[i] != ' ') {
        if (!Number(text, i, out.line) || out.line == 0 || !Word(text, i, ":")) return false;
    }
    for (const char* severity : {"error", "warning", "note"}) {
        std::size_t j = i;
        if (Word(text, j, " ") && Word(text, j, severity) && Word(text, j, ": ")) {
            out.severity = severity;
            out.message = text.substr(j);
            return true;
        }
    }
    return false;
}

}  // namespace

std::string CheckReportText(const std::string& report, int status, int files) {
    std::vector<char32_t> decoded;
    if (!DecodeUtf8(report, decoded)) return "the report is not well-formed UTF-8";
    for (const char32_t c : decoded) {
        if (IsForbidden(c)) return "the report holds the character " + std::to_string(static_cast<unsigned long>(c));
    }
    if (report.empty() || report.back() != '\n') return "the report does not end with a line end";

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
        FindingLine f;
        if (!ParseFinding(lines[i], f)) return "not a finding line: " + lines[i];
        if (f.file != file) {
            file = f.file;
            lastLine = 0;
            shownOnLine = 0;
        }
        if (f.line < lastLine) return "findings out of line order at: " + lines[i];
        if (f.line != lastLine) shownOnLine = 0;
        lastLine = f.line;
        if (f.severity == "note") {
            // "N more findings on this line are not shown (E errors, W warnings)"
            std::size_t k = 0;
            unsigned long long total = 0, hiddenErrors = 0, hiddenWarnings = 0;
            if (!Number(f.message, k, total) || !Word(f.message, k, " more findings on this line are not shown (") ||
                !Counts(f.message, k, hiddenErrors, hiddenWarnings) || !Word(f.message, k, ")") ||
                k != f.message.size())
                return "unknown note: " + lines[i];
            if (total != hiddenErrors + hiddenWarnings) return "a note whose counts do not add up: " + lines[i];
            if (shownOnLine < kFindingsShownPerLine) return "a note on a line that shows fewer than the cap: " + lines[i];
            errors += hiddenErrors;
            warnings += hiddenWarnings;
            continue;
        }
        // The cap is for a file's own findings; the comparison with the first
        // file adds at most one per line (the topmost extra group or entry).
        if (f.line != ~0ull && ++shownOnLine > kFindingsShownPerLine &&
            (shownOnLine > kFindingsShownPerLine + 2 || lines[i].find(" is not in A.txt") == std::string::npos))
            return "more findings than the cap on: " + lines[i];
        (f.severity == "error" ? errors : warnings) += 1;
    }
    // "A.txt: E errors, W warnings[, U not readable]" or "N files: ..."
    const std::string& last = lines.back();
    std::size_t k = 0;
    unsigned long long named = 1, summaryErrors = 0, summaryWarnings = 0, unreadable = 0;
    const bool one = Word(last, k, "A.txt: ");
    if (!one && !(Number(last, k, named) && Word(last, k, " files: "))) return "not a summary: " + last;
    if (!Counts(last, k, summaryErrors, summaryWarnings)) return "not a summary: " + last;
    if (k != last.size() && !(Word(last, k, ", ") && Number(last, k, unreadable) && Word(last, k, " not readable") &&
                              k == last.size()))
        return "not a summary: " + last;
    if (one != (files == 1) || named != static_cast<unsigned long long>(files))
        return "the summary names the wrong number of files: " + last;
    // A file that cannot be read is reported as an error finding but not counted.
    if (summaryErrors + unreadable != errors || summaryWarnings != warnings)
        return "the summary does not count the printed findings: " + last;
    const int expected = unreadable > 0 ? kExitUnreadable : summaryErrors > 0 ? kExitErrors : kExitClean;
    if (status != expected) return "exit status " + std::to_string(status) + " disagrees with " + last;
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
