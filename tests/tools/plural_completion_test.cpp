// textresgen-plurals run as a program: which groups it completes, where the
// added lines go, in which encoding and line ends, and what it refuses.
#include <gtest/gtest.h>

#include <string>

#include "support/process.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

enum class Encoding { Utf8, Utf16, Utf16Mark };

std::string Encoded(const std::string& utf8, Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8: return Utf8WithMark(utf8);
        case Encoding::Utf16: return Utf16Le(UnitsFromUtf8(utf8));
        case Encoding::Utf16Mark: return Utf16LeWithMark(UnitsFromUtf8(utf8));
    }
    return "";
}

struct Row {
    const char* what;
    Encoding encoding;
    std::string input;   // UTF-8, stored in `encoding`
    std::string output;  // UTF-8 in the same encoding; "=": a byte-for-byte copy; "": none written
    std::string err;     // standard error, "{in}" for the input's path
};

const std::string kOtherFirst = "add 'A.other' if it is a plural message\n";

const Row kRows[] = {
    {"no plural message: a copy", Encoding::Utf16,
     "Title=Hi\r\none=top level\r\nother=top level\r\nA.one=x\r\nA.Open=y\r\nB.one=x\r\nB.other=y\r\nB.Sub.z=1\r\n"
     "C.ONE=x\r\nC.other=y\r\nC.zero=z\r\nC.one=o\r\nC.two=t\r\nC.few=f\r\nC.many=m\r\n",
     "=", ""},
    {"one and other", Encoding::Utf8, "Title=Hi\nFiles.one=%d file\nFiles.other=%d files\nZ=z\n",
     "Title=Hi\nFiles.one=%d file\nFiles.other=%d files\nFiles.zero=%d files\nFiles.two=%d files\n"
     "Files.few=%d files\nFiles.many=%d files\nZ=z\n",
     ""},
    {"after the last member, other not last", Encoding::Utf16Mark,
     "A.B.other=%d \\\"x\\\" \xF0\x9F\x98\x80\r\nT=t\r\nA.B.one=1\r\nA.B.few=%d few\r\nA.B.many=%d many\r\nU=u\r\n",
     "A.B.other=%d \\\"x\\\" \xF0\x9F\x98\x80\r\nT=t\r\nA.B.one=1\r\nA.B.few=%d few\r\nA.B.many=%d many\r\n"
     "A.B.zero=%d \\\"x\\\" \xF0\x9F\x98\x80\r\nA.B.two=%d \\\"x\\\" \xF0\x9F\x98\x80\r\nU=u\r\n",
     ""},
    {"the later of two texts", Encoding::Utf8, "A.other=old\nA.zero=0\nA.one=1\nA.two=2\nA.few=3\nA.other=new\n",
     "A.other=old\nA.zero=0\nA.one=1\nA.two=2\nA.few=3\nA.other=new\nA.many=new\n", ""},
    {"last line without its line end", Encoding::Utf8, "A.one=1\r\nA.zero=0\r\nA.two=2\r\nA.few=3\r\nA.other=n",
     "A.one=1\r\nA.zero=0\r\nA.two=2\r\nA.few=3\r\nA.other=n\r\nA.many=n", ""},
    {"U+001A ends the input", Encoding::Utf16,
     "A.one=1\nA.zero=0\nA.two=2\nA.few=3\nA.other=n\x1a" "A.more=m\n",
     "A.one=1\nA.zero=0\nA.two=2\nA.few=3\nA.other=n\nA.many=n\x1a" "A.more=m\n", ""},
    {"a lone CR ends the text, not the line", Encoding::Utf8,
     "A.one=1\nA.zero=0\nA.two=2\nA.few=3\nA.other=n\rtail\nZ=z\n",
     "A.one=1\nA.zero=0\nA.two=2\nA.few=3\nA.other=n\rtail\nA.many=n\nZ=z\n", ""},
    {"no other: left as it is, the others completed", Encoding::Utf8, "T=t\nA.one=1\nA.two=2\nB.one=1\nB.other=n\n",
     "T=t\nA.one=1\nA.two=2\nB.one=1\nB.other=n\nB.zero=n\nB.two=n\nB.few=n\nB.many=n\n",
     "{in}:2: warning: group 'A' has only plural categories as members (zero one two few many other) but no "
     "'other', the form a plural message's missing categories are filled from, so it is left as it is: " +
         kOtherFirst},
};

TEST(PluralCompletion, CompletesPluralMessagesOnly) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        const std::string input = Encoded(row.input, row.encoding);
        ASSERT_TRUE(WriteFileBytes(dir / "in.txt", input));
        RunOptions options;
        options.arguments = {"in.txt", "out.txt"};
        options.workingDirectory = dir.Path();
        const RunResult run = RunProgram(TEXTRESGEN_PLURALS_EXE, options);
        ASSERT_TRUE(run.started && run.exited) << run.setupError;
        std::string err = run.err;
        for (std::size_t at; (at = err.find("\r\n")) != std::string::npos;) err.erase(at, 1);
        std::string expectedErr = row.err;
        if (const std::size_t at = expectedErr.find("{in}"); at != std::string::npos) expectedErr.replace(at, 4, "in.txt");
        EXPECT_EQ(err, expectedErr);
        const auto written = ReadFileBytes(dir / "out.txt");
        if (row.output.empty()) {
            EXPECT_EQ(run.exitStatus, 1);
            EXPECT_FALSE(written.has_value());
            continue;
        }
        EXPECT_EQ(run.exitStatus, 0);
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(*written, row.output == "=" ? input : Encoded(row.output, row.encoding));
    }
}

}  // namespace
}  // namespace textresgen::test
