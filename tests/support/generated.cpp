#include "support/generated.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "driver/generator.h"
#include "fuzz/pipeline_properties.h"

namespace textresgen::test {
namespace {

// The lines of a generated file, its form checked by the same parser the
// fuzz target uses.
Lines SplitChecked(const std::string& bytes, const char* which) {
    const std::string form = properties::CheckGeneratedBytes(bytes);
    EXPECT_EQ(form, "") << "the " << which << " file";
    if (!form.empty()) return {};
    Lines lines = properties::SplitGeneratedLines(bytes);
    EXPECT_EQ(lines.back(), u"") << "the " << which << " file does not end with CR LF";
    lines.pop_back();
    return lines;
}

Lines AsciiLines(const char* const* begin, const char* const* end) {
    Lines lines;
    for (auto it = begin; it != end; ++it) lines.emplace_back(*it, *it + std::char_traits<char>::length(*it));
    return lines;
}

}  // namespace

GeneratedLines GenerateLines(std::string_view definition) {
    GeneratedLines lines;
    GeneratedFiles files;
    lines.generated = GenerateInMemory(definition, files);
    if (!lines.generated) return lines;
    lines.source = SplitChecked(files.source, "source");
    lines.header = SplitChecked(files.header, "header");
    return lines;
}

Lines Assignments(const GeneratedLines& files) {
    const Lines opening = AsciiLines(std::begin(properties::kSourceOpening), std::end(properties::kSourceOpening));
    const Lines& source = files.source;
    if (source.size() < opening.size() + 1) {
        ADD_FAILURE() << "source has only " << source.size() << " lines";
        return {};
    }
    EXPECT_EQ(Lines(source.begin(), source.begin() + opening.size()), opening);
    EXPECT_EQ(source.back(), u"}");
    return Lines(source.begin() + opening.size(), source.end() - 1);
}

Lines HeaderBody(const GeneratedLines& files) {
    const Lines opening = AsciiLines(std::begin(properties::kHeaderOpening), std::end(properties::kHeaderOpening));
    // "};" closes TextResource; the closing lines follow it, less the empty
    // rest after the last line end.
    Lines closing{u"};"};
    for (const char* line : properties::kHeaderClosing) closing.emplace_back(line, line + std::char_traits<char>::length(line));
    closing.pop_back();
    const Lines& header = files.header;
    if (header.size() < opening.size() + closing.size()) {
        ADD_FAILURE() << "header has only " << header.size() << " lines";
        return {};
    }
    EXPECT_EQ(Lines(header.begin(), header.begin() + opening.size()), opening);
    EXPECT_EQ(Lines(header.end() - closing.size(), header.end()), closing);
    return Lines(header.begin() + opening.size(), header.end() - closing.size());
}

}  // namespace textresgen::test
