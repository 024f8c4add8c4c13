#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace textresgen::test {

using Lines = std::vector<std::u16string>;

// Both generated files of one definition, as lines.
struct GeneratedLines {
    bool generated = false;  // false when the definition was refused
    Lines source;
    Lines header;
};

// Runs the in-memory pipeline on the bytes of a definition file and splits
// both outputs into lines; a file not in the generated form (FF FE, CR LF
// line ends, even length) fails the test.
GeneratedLines GenerateLines(std::string_view definition);

// The assignment lines of the source, between its "{" and "}". The fixed
// lines around them are checked (a mismatch fails the test).
Lines Assignments(const GeneratedLines& files);

// The lines of the header between the typedef's empty line and the closing
// "};" of TextResource. The fixed lines around them are checked.
Lines HeaderBody(const GeneratedLines& files);

}  // namespace textresgen::test
