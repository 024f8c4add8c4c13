#include "cli/diagnostic.h"

#include "cli/shown_text.h"

namespace textresgen::cli {
namespace {

constexpr std::size_t kReportChunk = 64 * 1024;  // bytes handed to the sink at a time

const char* const kSeverityWords[] = {"note", "warning", "error"};  // by Severity

}  // namespace

std::string FormatDiagnostic(const Diagnostic& diagnostic) {
    std::string line = ShownPath(diagnostic.file);
    if (diagnostic.line != 0) line += ":" + std::to_string(diagnostic.line);
    if (diagnostic.line != 0 && diagnostic.column != 0) line += ":" + std::to_string(diagnostic.column);
    line += ": ";
    line += kSeverityWords[static_cast<int>(diagnostic.severity)];
    line += ": ";
    line += diagnostic.message;
    line += "\n";
    return line;
}

void Reporter::Report(Diagnostic diagnostic) {
    CountUnshown(diagnostic.severity == Severity::Error, diagnostic.severity == Severity::Warning);
    Print(FormatDiagnostic(diagnostic));
}

void Reporter::CountUnshown(std::size_t errors, std::size_t warnings) {
    errors_ += errors;
    warnings_ += warnings;
}

void Reporter::Print(std::string_view text) {
    pending_ += text;
    if (pending_.size() >= kReportChunk) Flush();
}

void Reporter::Flush() {
    if (pending_.empty()) return;
    sink_(pending_);
    pending_.clear();
}

}  // namespace textresgen::cli
