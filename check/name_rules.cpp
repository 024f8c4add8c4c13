#include "check/name_rules.h"

#include "text/unicode.h"
#include "check/cpp_words.h"
#include "check/message_text.h"

namespace textrescheck {

using namespace textresgen::unicode;
namespace {

using textresgen::WideStringView;

constexpr const char* kHeaderBreaks = ": the header will not compile";

bool IsAsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(char32_t c) { return c >= '0' && c <= '9'; }

// Non-ASCII code points that are certainly no identifier character: spaces
// and invisible separators, C1 controls, the replacement character and
// unpaired surrogates. Other non-ASCII characters are not classified here.
bool IsNeverIdentifier(char32_t c) {
    return (c >= 0x80 && c <= 0xA0) || c == 0x1680 || c == 0x180E || (c >= 0x2000 && c <= 0x200B) ||
           c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF ||
           c == kReplacementCharacter || IsSurrogate(c);
}

std::string DescribeCharacter(char32_t c) {
    if (c == ' ') return "a space (U+0020)";
    if (c == '\t') return "a tab (U+0009)";
    if (c > 0x20 && c < 0x7F) {
        std::string shown = "'";
        shown += static_cast<char>(c);
        return shown + "' (" + CodePointLabel(c) + ")";
    }
    if (c == kReplacementCharacter) return "U+FFFD (malformed UTF-8 in the file?)";
    if (IsSurrogate(c)) return "an unpaired surrogate " + CodePointLabel(c);
    return CodePointLabel(c);
}

// What the characters of a name are, from one pass over it.
struct Spelling {
    bool leadingDigit = false;
    std::optional<char32_t> invalid;  // the first character no identifier may hold
    bool dollar = false;
    bool nonAscii = false;
    std::string ascii;  // the name itself when it is plain ASCII
};

Spelling Spell(WideStringView name) {
    Spelling s;
    for (std::size_t i = 0; i < name.size();) {
        const bool first = i == 0;
        const char32_t c = NextCodePoint(name, i);
        if (c < 0x80) {
            s.ascii += static_cast<char>(c);
            if (first && IsAsciiDigit(c)) s.leadingDigit = true;
            if (c == '$') {
                s.dollar = true;
            } else if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_' && !s.invalid) {
                s.invalid = c;
            }
        } else if (IsNeverIdentifier(c)) {
            if (!s.invalid) s.invalid = c;
        } else {
            s.nonAscii = true;
        }
    }
    if (s.nonAscii) s.ascii.clear();
    return s;
}

bool IsReserved(WideStringView name) {
    return name.find(u"__") != WideStringView::npos ||
           (name.size() >= 2 && name[0] == u'_' && name[1] >= u'A' && name[1] <= u'Z');
}

std::string StructureType(WideStringView group) {
    textresgen::WideString type = u"_";
    type += group;
    return Quoted(type);
}

}  // namespace

std::optional<NameProblem> CheckMemberName(const MemberName& m) {
    const bool group = m.role == MemberRole::Group;
    const char* role = group ? "group " : "entry ";
    const bool dotted = m.fullName.size() != m.name.size();
    const std::string where = dotted ? " in " + Quoted(m.fullName) : std::string();

    if (m.name.empty()) {
        return NameProblem{Severity::Error,
                           std::string("empty ") + role + "name" + where +
                               ": the member has no name and the generated code will not compile"};
    }

    const std::string subject = role + Quoted(m.name) + where;
    const Spelling s = Spell(m.name);
    const auto error = [&](const std::string& problem) {
        return NameProblem{Severity::Error, subject + " " + problem};
    };
    const auto warning = [&](const std::string& problem) {
        return NameProblem{Severity::Warning, subject + " " + problem};
    };

    if (s.leadingDigit) return error(std::string("starts with a digit, so it is not a C++ identifier") + kHeaderBreaks);
    if (s.invalid)
        return error("holds " + DescribeCharacter(*s.invalid) + ", which no C++ identifier may hold" + kHeaderBreaks);
    if (IsCppKeyword(s.ascii)) return error(std::string("is a C++ keyword") + kHeaderBreaks);

    // Names the generated code itself uses.
    if (s.ascii == "S") {
        return error(std::string("hides the type S that the generated members are declared with") + kHeaderBreaks);
    }
    if (s.ascii == "_TextResource_") {
        return error(std::string("is the header's include guard, a macro that expands to nothing") + kHeaderBreaks);
    }
    if (group && !m.topLevel && m.name == m.enclosingGroup) {
        return error("declares a structure " + StructureType(m.name) + " inside the structure of the same name" +
                     kHeaderBreaks);
    }

    if (IsReserved(m.name)) {
        return warning(
            "is an identifier that C++ reserves for the compiler and its library: it may clash with one of their names");
    }
    if (group && m.name[0] == u'_') {
        return warning("gives the structure type " + StructureType(m.name) +
                       ", whose double underscore C++ reserves for the compiler and its library: "
                       "it may clash with one of their names");
    }
    if (const CommonMacro* macro = FindCommonMacro(s.ascii)) {
        const std::string header(macro->header);
        const std::string expansion(macro->expansion);
        if (macro->renames) {
            return warning("is a macro of " + header + " that becomes " + expansion + " with UNICODE defined: where " +
                           header + " is included first, the member is renamed");
        }
        return warning("is a macro of " + header + " that becomes " + expansion + ": where " + header +
                       " is included first, the header will not compile");
    }
    if (s.dollar) {
        return warning("holds '$', which GCC, Clang and MSVC accept in identifiers only as an extension");
    }
    if (s.nonAscii) {
        return warning("holds non-ASCII characters: the header compiles only where the compiler accepts "
                       "them in identifiers (letters in C++20 and later; not checked further)");
    }
    return std::nullopt;
}

}  // namespace textrescheck
