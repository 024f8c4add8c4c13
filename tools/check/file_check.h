#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "check/definition_index.h"
#include "check/cli_names.h"
#include "text/byte_stream.h"
#include "text/file_problem.h"

namespace textrescheck {

// What checking one definition file found.
struct FileCheck {
    enum class Status {
        Checked,     // read to its end
        Unreadable,  // could not be opened or read at all
        ReadFailed,  // a read error stopped it part way
    };
    Status status = Status::Checked;
    std::string problem;            // why it is Unreadable or ReadFailed
    std::vector<Diagnostic> findings;  // in line order; past a few per line,
                                       // one note says how many more there were
    std::size_t errors = 0;         // every finding counted, shown or not
    std::size_t warnings = 0;
    DefinitionIndex index;          // the names it declares
};

// At most this many findings are shown for one line; a further one says
// how many more there were. Keeps a pathological line from flooding.
inline constexpr std::size_t kFindingsShownPerLine = 10;

// Reads a definition file exactly as the generator does (marks, line ends,
// line rules) and checks every line. The path is passed as written.
FileCheck CheckDefinitionFile(const char* path);
// The same for the bytes of a definition file held in memory.
FileCheck CheckDefinitionBytes(std::string_view bytes);
// The same for any byte source (null: the file could not be opened, for
// the reason `problem`).
FileCheck CheckDefinitionSource(std::unique_ptr<textresgen::ByteSource> source,
                                textresgen::FileProblem problem = textresgen::FileProblem::Other);

}  // namespace textrescheck
