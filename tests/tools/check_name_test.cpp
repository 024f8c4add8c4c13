// How one member name is judged, by the rules of C++ and of the generated code.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "check/name_rules.h"

namespace textrescheck {
namespace {

using textresgen::WideString;

std::optional<Severity> Judge(const WideString& name, MemberRole role = MemberRole::Entry, bool top = true,
                              const WideString& enclosing = u"") {
    MemberName member;
    member.name = name;
    member.role = role;
    member.topLevel = top;
    member.enclosingGroup = enclosing;
    member.fullName = name;
    const auto problem = CheckMemberName(member);
    if (!problem) return std::nullopt;
    return problem->severity;
}

// For SCOPED_TRACE: the name with each unit cut to a byte.
std::string Trace(const WideString& name) {
    std::string out;
    for (const char16_t unit : name) out += static_cast<char>(unit & 0x7F);
    return out;
}

constexpr auto kError = Severity::Error;
constexpr auto kWarning = Severity::Warning;

struct Case {
    WideString name;
    std::optional<Severity> expected;
};

TEST(CheckName, IdentifierSpelling) {
    const Case cases[] = {
        {u"Title", std::nullopt},
        {u"_", std::nullopt},
        {u"a1_b2", std::nullopt},
        {u"x9", std::nullopt},
        {u"9x", kError},
        {u"a-b", kError},
        {u"a+b", kError},
        {u"a\u0001", kError},      // control character
        {u"a\u00A0b", kError},     // no-break space
        {u"a\u200Bb", kError},     // zero-width space
        {u"a\uFEFFb", kError},     // byte-order mark in the middle
        {u"a\uFFFDb", kError},     // what malformed UTF-8 decodes to
        {WideString(u"a") + char16_t(0xD800), kError},  // unpaired surrogate
        {u"9$", kError},           // the digit decides first
        {u"a$", kWarning},
        {u"\u00E9t\u00E9", std::nullopt},    // Latin letters
        {u"\U0001D400", std::nullopt},       // a letter outside the BMP, a valid pair
        {u"a\u00B7", std::nullopt},          // middle dot: XID_Continue
        {u"\u00B7a", kError},                // but not XID_Start
        {u"a\u00AD", kError},                // soft hyphen: a format character
        {u"a\u00A9", kError},                // a symbol
        {u"\u0660", kError},                 // a digit cannot begin a name
        {u"a\U0001F600", kError},            // emoji are no identifier characters
        {u"caf\\u00E9", std::nullopt},       // universal character names of letters
        {u"caf\\U000000e9", std::nullopt},
        {u"a\\u0024", kWarning},             // '$' spelled as a UCN
        {u"\\u0024a", kError},               // which Clang refuses first
        {u"a\\u00D7", kError},               // a UCN of no identifier character
        {u"\\u0301a", kError},               // a UCN of a mark cannot begin a name
        {u"a\\uD800", kError},               // names no character
        {u"a\\u12", kError},                 // incomplete
        {u"a\\", kError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Trace(c.name));
        EXPECT_EQ(Judge(c.name), c.expected);
    }
}

TEST(CheckName, KeywordsIncludeAlternativeTokensButNotContextualWords) {
    for (const WideString name : {u"and", u"and_eq", u"bitand", u"bitor", u"compl", u"not", u"not_eq", u"or",
                                  u"or_eq", u"xor", u"xor_eq", u"char8_t", u"co_await", u"consteval", u"constinit",
                                  u"requires", u"concept", u"wchar_t", u"nullptr", u"typedef", u"alignas"}) {
        SCOPED_TRACE(Trace(name));
        EXPECT_EQ(Judge(name), kError);
        EXPECT_EQ(Judge(name, MemberRole::Group), kError);
    }
    for (const WideString name : {u"final", u"override", u"import", u"module", u"And", u"NOT", u"main", u"std"}) {
        SCOPED_TRACE(Trace(name));
        EXPECT_EQ(Judge(name), std::nullopt);
    }
}

TEST(CheckName, ReservedIdentifiers) {
    const Case cases[] = {
        {u"_Open", kWarning},
        {u"__open", kWarning},
        {u"open__", kWarning},
        {u"_open", std::nullopt},   // reserved only at global scope; these are members
        {u"_1", std::nullopt},
        {u"__\u00E9", kWarning},    // non-ASCII does not hide the double underscore
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Trace(c.name));
        EXPECT_EQ(Judge(c.name), c.expected);
    }
    // A group's structure type gains a leading underscore.
    EXPECT_EQ(Judge(u"_open", MemberRole::Group), kWarning);
    EXPECT_EQ(Judge(u"Open", MemberRole::Group), std::nullopt);
}

TEST(CheckName, NamesOfTheGeneratedCode) {
    EXPECT_EQ(Judge(u"S"), kError);
    EXPECT_EQ(Judge(u"S", MemberRole::Group), kError);
    EXPECT_EQ(Judge(u"S", MemberRole::Entry, false, u"Menu"), kError);
    EXPECT_EQ(Judge(u"s"), std::nullopt);
    EXPECT_EQ(Judge(u"_TextResource_"), kError);
    EXPECT_EQ(Judge(u"Menu", MemberRole::Group, false, u"Menu"), kError);
    EXPECT_EQ(Judge(u"Menu", MemberRole::Entry, false, u"Menu"), std::nullopt);  // S Menu; inside _Menu compiles
    EXPECT_EQ(Judge(u"Menu", MemberRole::Group, false, u"Other"), std::nullopt);
    EXPECT_EQ(Judge(u"t"), std::nullopt);
    EXPECT_EQ(Judge(u"TextResource"), std::nullopt);
}

TEST(CheckName, CommonMacros) {
    // Both ends of the table, and names on either side of entries.
    for (const WideString name : {u"APIENTRY", u"unix", u"ERROR", u"DELETE", u"IN", u"OUT", u"OPTIONAL", u"CONST",
                                  u"VOID", u"TRUE", u"FALSE", u"near", u"far", u"interface", u"small", u"NO_ERROR",
                                  u"INFINITE", u"CreateWindow", u"LoadString", u"MessageBox", u"GetObject",
                                  u"DrawText", u"linux", u"errno", u"EOF", u"NULL", u"stdout"}) {
        SCOPED_TRACE(Trace(name));
        EXPECT_EQ(Judge(name), kWarning);
    }
    for (const WideString name : {u"min", u"max", u"assert", u"Error", u"error", u"APIENTRY2", u"AAA", u"zzz",
                                  u"In", u"LoadStringW"}) {
        SCOPED_TRACE(Trace(name));
        EXPECT_EQ(Judge(name), std::nullopt);
    }
}

TEST(CheckName, MessagesQuoteNamesSafely) {
    MemberName member;
    const WideString name = u"a\tb";
    member.name = name;
    member.fullName = name;
    EXPECT_EQ(CheckMemberName(member)->message,
              "entry 'a<U+0009>b' holds a tab (U+0009), which no C++ identifier may hold: the header will not compile");

    // A very long name is shortened in the middle.
    const WideString longName = WideString(200, u'x') + u"-";
    member.name = longName;
    member.fullName = longName;
    EXPECT_EQ(CheckMemberName(member)->message,
              "entry '" + std::string(60, 'x') + "[...]" + std::string(59, 'x') +
                  "-' holds '-' (U+002D), which no C++ identifier may hold: the header will not compile");
}

}  // namespace
}  // namespace textrescheck
