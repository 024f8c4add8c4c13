#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

#include "definition/definition_line.h"
#include "text/byte_stream.h"
#include "text/file_problem.h"
#include "text/utf16_reader.h"
#include "text/wide_string.h"

// A definition file read line by line for the companion tools: the reader
// of the generator (Utf16Reader) and its line rules (SplitDefinitionLine),
// with line numbers, and one wording for why a file was refused or its
// reading stopped.
namespace textresgen {

struct NumberedLine {
    std::size_t number = 0;     // from 1
    WideStringView line;        // as read, its LF included; valid until the next line
    DefinitionLine definition;  // the line cut into name and text
    // In a UTF-8 file: the line's bytes hold a sequence that is no UTF-8,
    // which the reader (and the generator) turned into U+FFFD.
    bool malformedUtf8 = false;
};

// What a line with malformedUtf8 is told, by every program that reports it.
constexpr const char* kMalformedUtf8 =
    "the line holds bytes that are not UTF-8 (a file in another code saved with the UTF-8 mark?): the generator "
    "reads each such sequence as U+FFFD";

class DefinitionFileReader {
public:
    // Starts reading `source`; null means it could not be opened, for
    // `problem`. False, with Problem(), when the file is refused: not
    // opened, unreadable from its first byte (a folder), starting with
    // the big-endian mark FE FF, which the generator refuses, or 8-bit text
    // without a mark (LooksLikeEightBitText), which it reads as UTF-16LE.
    bool Open(std::unique_ptr<ByteSource> source, FileProblem problem = FileProblem::Other);
    // The next line; false at the end of the input and after a read error.
    bool Next(NumberedLine& line);
    // Whether a read error stopped the reading part way (Problem() says
    // after which line).
    bool ReadFailed() const { return reader_.ReadFailed(); }
    // Why the file was refused or its reading stopped; empty otherwise.
    std::string Problem() const;
    std::size_t LinesRead() const { return lines_; }
    // Releases the file.
    void Close() { reader_.Close(); }

private:
    // The lines of a UTF-8 file whose bytes hold an ill-formed sequence, in
    // order, found as the bytes pass to the reader (so only those of lines
    // read ahead are held).
    class MalformedLines {
    public:
        void Feed(const unsigned char* bytes, std::size_t count) { Scan(bytes, count, false); }
        void End() { Scan(nullptr, 0, true); }
        // Whether line `number` is one; the lines before it are let go.
        bool Holds(std::size_t number);

    private:
        void Scan(const unsigned char* bytes, std::size_t count, bool final);
        std::string carry_;  // a sequence that may go on in the next bytes
        std::size_t line_ = 1;
        std::deque<std::size_t> lines_;
    };

    // What the first reads showed, to say why a file was refused.
    struct Probe {
        bool opened = false;
        FileProblem problem = FileProblem::Other;  // when not opened
        bool readError = false;
        bool eightBit = false;
        bool utf8 = false;  // the UTF-8 mark: MalformedLines looks at the bytes
        MalformedLines malformed;
        unsigned char head[2] = {};
        std::size_t headCount = 0;
    };
    class ProbingSource;
    static std::string WhyRefused(const Probe& probe);

    Utf16Reader reader_;
    Probe probe_;
    bool refused_ = false;
    std::size_t lines_ = 0;
};

}  // namespace textresgen
