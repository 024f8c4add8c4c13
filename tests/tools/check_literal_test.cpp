// How a text reads as the body of the wide literal L"..." it is copied into.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/literal_rules.h"
#include "codec/literal_body.h"
#include "codec/literal_lexer.h"

namespace textrescheck {
namespace {

using textresgen::WideString;

// Severity and the message part after "text of 'A' ", for brevity.
std::vector<std::string> Problems(const WideString& text) {
    std::vector<std::string> out;
    for (const Diagnostic& p : CheckLiteralText(text, u"A")) {
        const std::string prefix = "text of 'A' ";
        EXPECT_EQ(p.message.compare(0, prefix.size(), prefix), 0) << p.message;
        out.push_back(std::string(p.severity == Severity::Error ? "E " : "W ") + p.message.substr(prefix.size()));
    }
    return out;
}

// Only the leading words of each problem, where the exact message is tested elsewhere.
std::vector<std::string> Kinds(const WideString& text) {
    std::vector<std::string> out;
    for (std::string p : Problems(text)) out.push_back(p.substr(0, p.find(" at character")));
    return out;
}

using Strings = std::vector<std::string>;

TEST(CheckLiteral, HexEscapesByDigitCount) {
    EXPECT_EQ(Kinds(u"\\x4"), Strings{});
    EXPECT_EQ(Kinds(u"\\x41g"), Strings{});
    EXPECT_EQ(Kinds(u"\\x41B"), Strings{"W has '\\x41B'"});
    EXPECT_EQ(Kinds(u"\\x3042"), Strings{"W has '\\x3042'"});
    EXPECT_EQ(Kinds(u"\\x0000041"), Strings{"W has '\\x0000041'"});    // leading zeros: fits, still swallowing
    EXPECT_EQ(Kinds(u"\\x10000"), Strings{"E has '\\x10000'"});
    EXPECT_EQ(Kinds(u"\\xFFFFFFFFFFFFFFFFFFFF"), Strings{"E has '\\xFFFFFFFFFFFFFFFFFFFF'"});  // no wrap-around
    EXPECT_EQ(Kinds(u"\\x"), Strings{"E has '\\x' without hex digits"});
}

TEST(CheckLiteral, OctalEscapesTakeAtMostThreeDigits) {
    EXPECT_EQ(Kinds(u"\\1234\\777\\8"), Strings{"W has the unknown escape '\\8'"});
    EXPECT_EQ(Kinds(u"\\0"), Strings{});        // at the end: nothing is hidden
    EXPECT_EQ(Kinds(u"\\000"), Strings{});
    EXPECT_EQ(Kinds(u"\\0001"), Strings{"W has '\\000'"});
    EXPECT_EQ(Kinds(u"\\x00!"), Strings{"W has '\\x00'"});
    EXPECT_EQ(Kinds(u"\\u0000!"), Strings{"W has '\\u0000'"});
}

TEST(CheckLiteral, UniversalCharacterNames) {
    EXPECT_EQ(Kinds(u"\\u3042\\U0001F600\\U0010FFFF\\u00E9"), Strings{});
    EXPECT_EQ(Kinds(u"\\u304"), Strings{"E has the incomplete '\\u304'"});
    EXPECT_EQ(Kinds(u"\\U0001F60"), Strings{"E has the incomplete '\\U0001F60'"});
    EXPECT_EQ(Kinds(u"\\u30421"), Strings{});  // \u takes exactly four; the 1 is text
    EXPECT_EQ(Kinds(u"\\uDFFF"), Strings{"E has '\\uDFFF'"});
    EXPECT_EQ(Kinds(u"\\U00110000"), Strings{"E has '\\U00110000'"});
}

TEST(CheckLiteral, PositionsCountCharactersNotUnits) {
    // U+1F600 is one character of two units; "\x41" is one character of
    // four spelling units but counts as four characters of the text.
    EXPECT_EQ(Problems(u"\U0001F600\""),
              Strings{"E has an unescaped '\"' at character 2, which ends the literal early: the source will not "
                      "compile"});
    EXPECT_EQ(Problems(u"\\x41\\q"),
              Strings{"W has the unknown escape '\\q' at character 5: compilers warn and keep 'q' without the "
                      "backslash"});
    EXPECT_EQ(Problems(u"\\\U0001F600x\""),
              (Strings{"E has a backslash before the non-ASCII character U+1F600 at character 1, which is no escape: "
                       "the source will not compile",
                       "E has an unescaped '\"' at character 4, which ends the literal early: the source will not "
                       "compile"}));
}

TEST(CheckLiteral, BackslashPairs) {
    EXPECT_EQ(Kinds(u"\\\\"), Strings{});
    EXPECT_EQ(Kinds(u"\\\\\\"), Strings{"E ends in a backslash, which escapes the literal's closing quote: the "
                                        "source will not compile"});
    EXPECT_EQ(Kinds(u"\\\""), Strings{});
    EXPECT_EQ(Kinds(u"\\\\\""), Strings{"E has an unescaped '\"'"});
}

TEST(CheckLiteral, LengthLimitAtTheBoundary) {
    EXPECT_EQ(Kinds(WideString(8189, u'a')), Strings{});  // (8189 + 1) * 2 = 16380
    const Strings tooLong = {"E makes a literal of 16382 bytes (UTF-16, terminator included), more than the 16380 "
                             "that MSVC accepts in one piece: MSVC stops with error C2026"};
    EXPECT_EQ(Kinds(WideString(8190, u'a')), tooLong);
    EXPECT_EQ(Kinds(WideString(8188, u'a') + u"\\U0001F600"), tooLong);  // a pair from one escape
    EXPECT_EQ(Kinds(WideString(8189, u'a') + u"\\"), (Strings{
        "E ends in a backslash, which escapes the literal's closing quote: the source will not compile"}));
}

}  // namespace
}  // namespace textrescheck

namespace textrescheck {
namespace {

// Which tokens are faults is the codec's rule: the codec refuses a body with
// any fault, and textrescheck calls a Broken token an error and an
// Unportable one a warning. One body of one token per kind and edge.
struct TokenCase {
    const char16_t* body;
    textresgen::TokenFault fault;
};

const TokenCase kTokens[] = {
    {u"a", textresgen::TokenFault::None},
    {u"\\n", textresgen::TokenFault::None},
    {u"\\101", textresgen::TokenFault::None},
    {u"\\x41", textresgen::TokenFault::None},
    {u"\\xFFFF", textresgen::TokenFault::None},
    {u"\\U0010FFFF", textresgen::TokenFault::None},
    {u"\"", textresgen::TokenFault::Broken},
    {u"\xD800", textresgen::TokenFault::Broken},
    {u"\\x10000", textresgen::TokenFault::Broken},
    {u"\\x", textresgen::TokenFault::Broken},
    {u"\\u12", textresgen::TokenFault::Broken},
    {u"\\uD800", textresgen::TokenFault::Broken},
    {u"\\U00110000", textresgen::TokenFault::Broken},
    {u"\\\u00E9", textresgen::TokenFault::Broken},
    {u"\\", textresgen::TokenFault::Broken},
    {u"\\q", textresgen::TokenFault::Unportable},
    {u"\\%", textresgen::TokenFault::Unportable},
};

TEST(LiteralTokens, CodecAndCheckFollowOneRule) {
    for (const TokenCase& c : kTokens) {
        const textresgen::WideStringView body(c.body);
        textresgen::LiteralLexer lexer(body);
        textresgen::LiteralToken token;
        ASSERT_TRUE(lexer.Next(token));
        const std::string shown(body.begin(), body.end());  // for the messages; ASCII enough
        EXPECT_EQ(textresgen::FaultOf(token), c.fault) << shown;

        textresgen::LiteralValues values;
        textresgen::LiteralProblem problem;
        EXPECT_EQ(textresgen::DecodeLiteralBody(body, values, problem), c.fault == textresgen::TokenFault::None)
            << shown << ": " << problem.message;

        const std::vector<Diagnostic> found = CheckLiteralText(body, u"A");
        const auto has = [&](Severity severity) {
            for (const Diagnostic& d : found)
                if (d.severity == severity) return true;
            return false;
        };
        // (A sound token may still earn a warning: \xFFFF swallows four digits.)
        EXPECT_EQ(has(Severity::Error), c.fault == textresgen::TokenFault::Broken) << shown;
        EXPECT_TRUE(c.fault != textresgen::TokenFault::Unportable || has(Severity::Warning)) << shown;
    }
}

}  // namespace
}  // namespace textrescheck
