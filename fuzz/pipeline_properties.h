#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/wide_string.h"

// Properties that the whole pipeline (definition bytes in, source and header
// bytes out) must have for every input. Shared by the fuzz target and by the
// corpus replay test. Every check returns an empty string when the property
// holds, otherwise a one-line description of the first violation.
namespace textresgen::properties {

// Definition name (dotted, as written) -> text, the last definition winning.
using Definitions = std::map<WideString, WideString>;

// The fixed lines that frame the generated files, as the parsers below
// expect them.
extern const char* const kHeaderOpening[7];
extern const char* const kHeaderClosing[3];  // the last is what follows the last line end
extern const char* const kSourceOpening[5];

// Runs every check below on one definition file.
std::string CheckPipeline(std::string_view definition);

// A generated file: FF FE, even length, and every unit LF preceded by a unit CR.
std::string CheckGeneratedBytes(std::string_view bytes);

// Decodes a generated file (after FF FE) and cuts it into lines at its line
// ends (CR LF); the last element is what follows the last line end. Call only
// on bytes that pass CheckGeneratedBytes.
std::vector<WideString> SplitGeneratedLines(std::string_view bytes);

// Parses the header's structure (guard, TextResource, nested structures and
// their closing names, members, sorted order) and lists the full dotted name
// of every member in the header's order.
std::string ParseHeaderMembers(const std::vector<WideString>& header, std::vector<WideString>& fullNames);

// Checks the source's frame and that it holds exactly one assignment line per
// member, in `fullNames` order; collects the assigned texts by name.
std::string ParseSourceAssignments(const std::vector<WideString>& source,
                                   const std::vector<WideString>& fullNames, Definitions& assigned);

// Reading the definition in small pieces gives the same lines as reading it
// whole, and every line is non-empty with an LF, if any, only at its end.
std::string CheckChunkedReading(std::string_view definition);

// What the definition file defines, worked out from the file format alone:
// marks, CR LF, U+001A, U+FFFF, U+0000, first "=", text to the first CR.
// Empty when the file is beyond this simple reader: a big-endian mark, or
// UTF-8 that is not well-formed.
std::optional<Definitions> ExpectedDefinitions(std::string_view definition);

}  // namespace textresgen::properties
