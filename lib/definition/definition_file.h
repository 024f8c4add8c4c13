#pragma once

#include <cstddef>
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
};

class DefinitionFileReader {
public:
    // Starts reading `source`; null means it could not be opened, for
    // `problem`. False, with Problem(), when the file is refused: not
    // opened, unreadable from its first byte (a folder), or starting with
    // the big-endian mark FE FF, which the generator refuses.
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
    // What the first reads showed, to say why a file was refused.
    struct Probe {
        bool opened = false;
        FileProblem problem = FileProblem::Other;  // when not opened
        bool readError = false;
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
