#include "support/generated.h"

#include <gtest/gtest.h>

#include "driver/generator.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {

GeneratedLines GenerateLines(std::string_view definition) {
    GeneratedLines lines;
    GeneratedFiles files;
    lines.generated = GenerateInMemory(definition, files);
    if (!lines.generated) return lines;
    const std::string sourceForm = SplitGeneratedFile(files.source, lines.source);
    EXPECT_EQ(sourceForm, "") << "the source file";
    const std::string headerForm = SplitGeneratedFile(files.header, lines.header);
    EXPECT_EQ(headerForm, "") << "the header file";
    return lines;
}

Lines Assignments(const GeneratedLines& files) {
    const Lines opening = {u"#include \"textresouce.h\"", u"", u"",
                           u"extern \"C\" __declspec(dllexport) void InitString(TextResource& t)", u"{"};
    const Lines& source = files.source;
    if (source.size() < opening.size() + 1) {
        ADD_FAILURE() << "source has only " << source.size() << " lines";
        return {};
    }
    EXPECT_EQ(Lines(source.begin(), source.begin() + 5), opening);
    EXPECT_EQ(source.back(), u"}");
    return Lines(source.begin() + 5, source.end() - 1);
}

Lines HeaderBody(const GeneratedLines& files) {
    const Lines opening = {u"#ifndef _TextResource_", u"#define _TextResource_", u"", u"struct TextResource",
                           u"{", u"\ttypedef const wchar_t* S;", u""};
    const Lines closing = {u"};", u"", u"#endif"};
    const Lines& header = files.header;
    if (header.size() < opening.size() + closing.size()) {
        ADD_FAILURE() << "header has only " << header.size() << " lines";
        return {};
    }
    EXPECT_EQ(Lines(header.begin(), header.begin() + 7), opening);
    EXPECT_EQ(Lines(header.end() - 3, header.end()), closing);
    return Lines(header.begin() + 7, header.end() - 3);
}

}  // namespace textresgen::test
