#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

// What the companion programs tell about a file, and how they print it: the
// one form of their messages, "FILE:LINE:COLUMN: severity: message".
namespace textresgen::cli {

// A note only remarks on other findings and is not counted.
enum class Severity { Note, Warning, Error };

// One message about a file, at a place in it.
struct Diagnostic {
    std::string file;        // as given; shown through ShownPath (cli/shown_text.h)
    std::size_t line = 0;    // 1-based; 0 when it concerns the file as a whole
    std::size_t column = 0;  // 1-based; 0 when it concerns the line as a whole
    Severity severity = Severity::Error;
    std::string message;     // UTF-8
    // What on its line it is about, so that a caller can place it without
    // reading the message: the text of the line's definition, the member
    // name, or the line (or file) as a whole.
    enum class Subject { Line, Name, Text } subject = Subject::Line;

    Diagnostic() = default;
    // In the order most messages are made in: {line, message}, an error.
    Diagnostic(std::size_t line, std::string message, Severity severity = Severity::Error)
        : line(line), severity(severity), message(std::move(message)) {}
    // About a file as a whole or one of its lines: {file, line, message}.
    Diagnostic(std::string file, std::size_t line, std::string message, Severity severity = Severity::Error)
        : file(std::move(file)), line(line), severity(severity), message(std::move(message)) {}
};

// "FILE:LINE:COLUMN: error: message" with its LF; no ":LINE" for line 0 and
// no ":COLUMN" for column 0. The file name is shown as ShownPath shows it:
// no control character of it reaches the terminal.
std::string FormatDiagnostic(const Diagnostic& diagnostic);

// Prints diagnostics and other report lines to a sink, in order, and counts
// the errors and warnings. Output is handed on in pieces of some 64 KiB and
// by Flush, so a flood of findings costs few writes; what is not flushed is
// not written (a sink may throw, which a destructor must not pass on).
class Reporter {
public:
    using Sink = std::function<void(std::string_view)>;
    explicit Reporter(Sink sink) : sink_(std::move(sink)) {}
    Reporter(const Reporter&) = delete;
    Reporter& operator=(const Reporter&) = delete;

    // Prints and counts it.
    void Report(Diagnostic diagnostic);
    // Counts findings that are not printed (past the cap of a line).
    void CountUnshown(std::size_t errors, std::size_t warnings);
    // Prints text that is no counted diagnostic (a summary), LF included.
    void Print(std::string_view text);
    // Makes room for `bytes` more to print, so that printing that much
    // cannot run out of memory (a summary printed after an output file is
    // put in place).
    void Reserve(std::size_t bytes) { pending_.reserve(pending_.size() + bytes); }
    void Flush();

    std::size_t Errors() const { return errors_; }
    std::size_t Warnings() const { return warnings_; }

private:
    Sink sink_;
    std::string pending_;
    std::size_t errors_ = 0;
    std::size_t warnings_ = 0;
};

}  // namespace textresgen::cli
