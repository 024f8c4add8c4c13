// Reading a base file: which definition a name keeps, and which problem
// stops the reading when several could.
#include <gtest/gtest.h>

#include <string>

#include "l10n/base_file.h"
#include "support/utf16_bytes.h"

namespace textresl10n {
namespace {

#define TEN "0123456789"
#define LONG TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN  // 130 bytes: sizes of two bytes

struct BaseCase {
    const char* what;
    std::u16string file;  // written as UTF-16LE with its mark
    // Each unit as "Key=Source[/SourcePlural]@line[!][{note|note}]" (!: not
    // to be translated), joined with
    // " "; or the error as
    // "line: start of the message".
    const char* expected;
};

const BaseCase kCases[] = {
        {"a repeated name keeps its place and its last text", u"A=1\nB=2\nA=3\n", "A=3@3 B=2@2"},
        {"a text that cannot be decoded is replaced by a later one", u"A=\\q\nB=2\nA=ok\n", "A=ok@3 B=2@2"},
        {"a text that stays undecodable is an error at its line", u"A=ok\nB=2\nA=\\q\n",
         "3: the text of 'A' is not a valid literal body"},
        {"the first problem in the names' order wins, not in the lines'", u"A=1\nB=\\q\nA=\\q\n",
         "3: the text of 'A' is not a valid literal body"},
        {"a text error before a bad name", u"A=\\q\nB\xD800=2\n", "1: the text of 'A' is not a valid literal body"},
        {"a bad name before a text error, at its first line", u"B\xD800=2\nA=\\q\nB\xD800=3\n",
         "1: the name 'B"},
        {"a \\x surrogate has no UTF-8 form", u"A=\\xD800\n", "1: the text of 'A' holds a \\x escape"},
        {"the members of a plural message are one unit", u"N.one=1 file\nN.other=%d files\nM=x\n",
         "N=1 file/%d files@1 M=x@3"},
        {"notes are the comment lines right above a first definition, an empty one kept",
         u"# far\n\n# first\n#\nA=1\n# not a note of A\nA=2\n", "A=2@7{first|}"},
        {"a group of category names without other is no plural message", u"Q.one=a\nQ.few=b\n",
         "Q.one=a@1 Q.few=b@2"},
        {"members may stand apart; one not to be translated marks its message",
         u"W.one=w1\nX.one=x1\n# textresl10n: do not translate\nW.other=w2\nX.other=x2\n", "W=w1/w2@1! X=x1/x2@2"},
        {"a name, text and note longer than 127 bytes", u"# " LONG "\nA" LONG "=" LONG "\n",
         "A" LONG "=" LONG "@2{" LONG "}"},
};

std::string Described(const BaseFile& base) {
    std::string out;
    for (const BaseUnit& unit : base.units) {
        if (!out.empty()) out += ' ';
        out += std::string(unit.Key()) + "=" + std::string(unit.Source());
        if (unit.Plural()) out += "/" + std::string(unit.SourcePlural());
        out += "@" + std::to_string(unit.Line()) + (unit.Translate() ? "" : "!");
        std::string notes;
        for (const std::string_view note : unit.Notes()) notes += (notes.empty() ? "{" : "|") + std::string(note);
        if (!unit.Notes().empty()) out += (notes.empty() ? "{" : notes) + "}";
    }
    return out;
}

TEST(L10nBaseFile, KeepsTheGeneratorsDefinitionAndTheFirstProblem) {
    for (const BaseCase& c : kCases) {
        BaseFile base;
        ExchangeProblem error;
        const bool read = ReadBaseBytes(textresgen::test::Utf16LeWithMark(c.file), base, error);
        const std::string seen = read ? Described(base) : std::to_string(error.line) + ": " + error.message;
        // An error's message is compared by its start.
        EXPECT_EQ(read ? seen : seen.substr(0, std::string(c.expected).size()), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace textresl10n
