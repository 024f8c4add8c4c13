#include "fuzz/pipeline_properties.h"

#include <cstdint>
#include <iterator>
#include <cstdio>
#include <memory>

#include "driver/generator.h"
#include "text/memory_bytes.h"
#include "text/utf16_reader.h"

namespace textresgen::properties {
namespace {

using Units = WideString;

Units Ascii(std::string_view text) { return Units(text.begin(), text.end()); }

bool StartsWith(const Units& s, const Units& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

bool EndsWith(const Units& s, const Units& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A name for messages: printable ASCII as is, everything else as \uXXXX,
// cut short for very long names.
std::string Show(const Units& units) {
    std::string shown = "\"";
    for (std::size_t i = 0; i < units.size() && i < 60; ++i) {
        const char16_t u = units[i];
        if (u >= 0x20 && u < 0x7F && u != '\\') {
            shown += static_cast<char>(u);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(u));
            shown += escaped;
        }
    }
    if (units.size() > 60) shown += "...";
    return shown + "\"";
}

std::string AtLine(std::size_t index, const std::string& what) {
    return "line " + std::to_string(index + 1) + ": " + what;
}

// Well-formed UTF-8 to UTF-16, or nothing. Checks the decoded value rather
// than byte ranges: overlong forms, surrogates and values past U+10FFFF are
// refused, as is a sequence cut short.
std::optional<Units> DecodeStrictUtf8(std::string_view bytes) {
    Units units;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length;
        std::uint32_t code;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07u;
        } else {
            return std::nullopt;
        }
        if (i + length > bytes.size()) return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3Fu);
        }
        static const std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return std::nullopt;
        if (code >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return units;
}

// The units a definition file holds, before it is cut into lines: the mark
// decides the encoding, U+001A (the byte 1A in UTF-8) ends the input, an odd
// last byte of UTF-16LE is no unit, and U+FFFF is dropped wherever it stands.
std::optional<Units> DecodeDefinition(std::string_view bytes) {
    Units units;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        std::optional<Units> decoded = DecodeStrictUtf8(bytes.substr(3, bytes.find('\x1A', 3) - 3));
        if (!decoded) return std::nullopt;
        units = *decoded;
    } else if (bytes.substr(0, 2) == "\xFE\xFF") {
        return std::nullopt;
    } else {
        const std::size_t start = bytes.substr(0, 2) == "\xFF\xFE" ? 2 : 0;
        for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
            const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                    static_cast<unsigned char>(bytes[i + 1]) << 8);
            if (unit == 0x001A) break;
            units.push_back(unit);
        }
    }
    Units kept;
    for (const char16_t unit : units)
        if (unit != 0xFFFF) kept.push_back(unit);
    return kept;
}

struct OpenGroup {
    Units name;
    Units path;  // full dotted name of the group followed by "."
    Units lastMember;
    Units lastChild;
    std::size_t members = 0;
    std::size_t children = 0;
    std::size_t membersBelow = 0;  // in the whole subtree
};

}  // namespace

const char* const kHeaderOpening[7] = {"#ifndef _TextResource_", "#define _TextResource_", "",
                                       "struct TextResource", "{", "\ttypedef const wchar_t* S;", ""};
const char* const kHeaderClosing[3] = {"", "#endif", ""};
const char* const kSourceOpening[5] = {"#include \"textresouce.h\"", "", "",
                                       "extern \"C\" __declspec(dllexport) void InitString(TextResource& t)", "{"};

std::string CheckGeneratedBytes(std::string_view bytes) {
    if (bytes.substr(0, 2) != "\xFF\xFE") return "does not start with FF FE";
    if (bytes.size() % 2 != 0) return "odd length " + std::to_string(bytes.size());
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        if (bytes[i] != '\n' || bytes[i + 1] != '\0') continue;
        if (i < 4 || bytes[i - 2] != '\r' || bytes[i - 1] != '\0')
            return "unit LF at byte " + std::to_string(i) + " without CR before it";
    }
    return {};
}

std::vector<Units> SplitGeneratedLines(std::string_view bytes) {
    std::vector<Units> lines(1);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit == u'\n') {
            lines.back().pop_back();  // its CR, present by CheckGeneratedBytes
            lines.emplace_back();
        } else {
            lines.back().push_back(unit);
        }
    }
    return lines;
}

// Names may hold any unit but LF, so the lines are recognised by the parts
// the writer adds around them, at the indentation the nesting requires.
std::string ParseHeaderMembers(const std::vector<Units>& lines, std::vector<Units>& fullNames) {
    std::size_t i = 0;
    for (const char* expected : kHeaderOpening) {
        if (i >= lines.size() || lines[i] != Ascii(expected)) return AtLine(i, "expected " + std::string(expected));
        ++i;
    }
    std::vector<OpenGroup> open(1);
    while (!open.empty()) {
        if (i >= lines.size()) return "header ends inside a structure";
        const Units& line = lines[i];
        OpenGroup& group = open.back();
        const std::size_t depth = open.size() - 1;
        const Units tabs(depth, u'\t');
        const Units memberStart = tabs + u"\tS ";
        if (StartsWith(line, memberStart) && EndsWith(line, u";") && line.size() > memberStart.size()) {
            const Units name = line.substr(memberStart.size(), line.size() - memberStart.size() - 1);
            if (group.children > 0) return AtLine(i, "member after a nested structure");
            if (group.members > 0 && !(group.lastMember < name)) return AtLine(i, "members out of order");
            fullNames.push_back(group.path + name);
            group.lastMember = name;
            ++group.members;
            ++group.membersBelow;
            ++i;
        } else if (line.empty()) {
            const Units structStart = tabs + u"\tstruct _";
            if (i + 2 >= lines.size() || !StartsWith(lines[i + 1], structStart) ||
                lines[i + 2] != tabs + u"\t{")
                return AtLine(i, "empty line not followed by a nested structure");
            const Units name = lines[i + 1].substr(structStart.size());
            if (group.children > 0 && !(group.lastChild < name))
                return AtLine(i + 1, "nested structures out of order");
            group.lastChild = name;
            ++group.children;
            OpenGroup child;
            child.name = name;
            child.path = group.path + name + u".";
            open.push_back(child);  // invalidates `group`
            i += 3;
        } else if (depth > 0 && line == tabs + u"} " + group.name + u";") {
            if (group.membersBelow == 0) return AtLine(i, "structure " + Show(group.name) + " without members");
            const std::size_t below = group.membersBelow;
            open.pop_back();
            open.back().membersBelow += below;
            ++i;
        } else if (depth == 0 && line == u"};") {
            open.pop_back();
            ++i;
        } else {
            return AtLine(i, "unexpected " + Show(line));
        }
    }
    for (const char* expected : kHeaderClosing) {
        if (i >= lines.size() || lines[i] != Ascii(expected)) return AtLine(i, "expected " + std::string(expected));
        ++i;
    }
    if (i != lines.size()) return AtLine(i, "text after the last line end");
    return {};
}

std::string ParseSourceAssignments(const std::vector<Units>& lines, const std::vector<Units>& fullNames,
                                   Definitions& assigned) {
    static const std::size_t kFrameLines = std::size(kSourceOpening) + 2;  // opening, "}", and nothing after the last line end
    if (lines.size() != kFrameLines + fullNames.size())
        return std::to_string(lines.size() - std::min(lines.size(), kFrameLines)) + " assignment lines for " +
               std::to_string(fullNames.size()) + " members";
    std::size_t i = 0;
    for (const char* expected : kSourceOpening) {
        if (lines[i] != Ascii(expected)) return AtLine(i, "expected " + std::string(expected));
        ++i;
    }
    for (const Units& name : fullNames) {
        const Units start = u"\tt." + name + u" = L\"";
        const Units end = u"\";";
        const Units& line = lines[i];
        if (line.size() < start.size() + end.size() || !StartsWith(line, start) || !EndsWith(line, end))
            return AtLine(i, "expected the assignment of " + Show(name) + ", got " + Show(line));
        assigned[name] = line.substr(start.size(), line.size() - start.size() - end.size());
        ++i;
    }
    if (lines[i] != u"}" || !lines[i + 1].empty()) return AtLine(i, "expected } and the end");
    return {};
}

std::optional<Definitions> ExpectedDefinitions(std::string_view definition) {
    const std::optional<Units> units = DecodeDefinition(definition);
    if (!units) return std::nullopt;
    // A CR LF pair only ever ends a line, and a text ends at its first CR, so
    // cutting at LF alone gives the same names and texts.
    Definitions expected;
    std::size_t start = 0;
    while (start < units->size()) {
        std::size_t end = units->find(u'\n', start);
        if (end == Units::npos) end = units->size();
        Units line = units->substr(start, end - start);
        start = end + 1;
        line = line.substr(0, line.find(u'\0'));
        const std::size_t equals = line.find(u'=');
        if (equals == Units::npos) continue;
        const Units text = line.substr(equals + 1);
        expected[line.substr(0, equals)] = text.substr(0, text.find(u'\r'));
    }
    return expected;
}

std::string CheckChunkedReading(std::string_view definition) {
    const auto read = [definition](std::size_t chunk, std::vector<Units>& lines) {
        Utf16Reader file;
        if (!file.Open(std::make_unique<MemorySource>(definition, chunk))) return false;
        WideStringView line;
        while (file.ReadLine(line)) lines.emplace_back(line);
        return !file.ReadFailed();
    };
    std::vector<Units> whole;
    const bool opened = read(static_cast<std::size_t>(-1), whole);
    for (std::size_t i = 0; i < whole.size(); ++i) {
        const Units& line = whole[i];
        if (line.empty()) return "read line " + std::to_string(i + 1) + " is empty";
        const std::size_t lf = line.find(u'\n');
        if (lf != Units::npos && lf + 1 != line.size()) return "read line " + std::to_string(i + 1) + " holds an LF";
    }
    // Pieces of one byte, and of a size that varies with the input, so that
    // marks, CR LF pairs, UTF-8 sequences and odd bytes straddle reads.
    const std::size_t sizes[] = {1, 2 + definition.size() % 5};
    for (const std::size_t chunk : sizes) {
        std::vector<Units> pieces;
        if (read(chunk, pieces) != opened) return "reads of " + std::to_string(chunk) + " bytes change the open";
        if (pieces != whole) return "reads of " + std::to_string(chunk) + " bytes give other lines";
    }
    return {};
}

std::string CheckPipeline(std::string_view definition) {
    const bool bigEndian = definition.substr(0, 2) == "\xFE\xFF";
    GeneratedFiles first;
    if (!GenerateInMemory(definition, first))
        return bigEndian ? std::string() : "refused a definition without the big-endian mark";
    if (bigEndian) return "accepted a definition with the big-endian mark";

    if (std::string failure = CheckGeneratedBytes(first.source); !failure.empty()) return "source " + failure;
    if (std::string failure = CheckGeneratedBytes(first.header); !failure.empty()) return "header " + failure;

    std::vector<Units> fullNames;
    if (std::string failure = ParseHeaderMembers(SplitGeneratedLines(first.header), fullNames); !failure.empty())
        return "header " + failure;
    Definitions assigned;
    if (std::string failure = ParseSourceAssignments(SplitGeneratedLines(first.source), fullNames, assigned);
        !failure.empty())
        return "source " + failure;

    GeneratedFiles second;
    if (!GenerateInMemory(definition, second) || second.source != first.source || second.header != first.header)
        return "a second run gives other bytes";

    if (const std::optional<Definitions> expected = ExpectedDefinitions(definition)) {
        for (const auto& [name, text] : *expected) {
            const auto found = assigned.find(name);
            if (found == assigned.end()) return "no assignment for " + Show(name);
            if (found->second != text) return Show(name) + " assigned " + Show(found->second) + ", defined " + Show(text);
        }
        if (assigned.size() != expected->size()) return "assignments for names never defined";
    }
    return CheckChunkedReading(definition);
}

}  // namespace textresgen::properties
