#include "check/name_rules.h"

#include "charclass/character_classes.h"
#include "check/cpp_words.h"
#include "check/cli_names.h"
#include "codec/literal_lexer.h"
#include "definition/generated_names.h"
#include "text/unicode.h"

namespace textrescheck {

using namespace textresgen::unicode;
using namespace textresgen::charclass;
namespace names = textresgen::names;
namespace {

using textresgen::WideString;
using textresgen::WideStringView;
using Reason = NameVerdict::Reason;

constexpr const char* kHeaderBreaks = ": the header will not compile";
constexpr char32_t kDollar = '$';
// Below this, a universal character name may not appear in an identifier
// ('$' aside): the basic characters and the C0 and C1 controls.
constexpr char32_t kFirstUcnInIdentifier = 0xA0;

bool IsAsciiDigit(char32_t c) { return c >= '0' && c <= '9'; }

// Space, tab, vertical tab, form feed: white space between tokens, which the
// compiler skips around a member name.
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }

WideStringView TrimEnd(WideStringView name) {
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    return name;
}

WideStringView TrimStart(WideStringView name) {
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
    return name;
}

// Reads the universal character name starting at the backslash name[i]:
// true with its value and `i` past it, false when the backslash begins none.
bool ReadUcn(WideStringView name, std::size_t& i, char32_t& value) {
    textresgen::LiteralToken token;
    textresgen::LiteralLexer(name.substr(i)).Next(token);
    if (token.kind != textresgen::LiteralToken::Kind::Universal) return false;
    i += token.end;
    value = static_cast<char32_t>(token.value);
    return true;
}

// What the characters of a name are, from one pass over it.
struct Spelling {
    std::optional<NameVerdict> flaw;  // the first character that makes it no identifier
    bool dollar = false;
    std::string ascii;  // the name itself when it is plain ASCII with no backslash
};

Spelling Spell(WideStringView name) {
    Spelling s;
    bool plain = true;
    const auto flaw = [&](Reason reason, char32_t c) {
        if (!s.flaw) s.flaw = NameVerdict{Severity::Error, reason, c};
    };
    for (std::size_t i = 0; i < name.size();) {
        const bool first = i == 0;
        char32_t c = 0;
        if (name[i] == u'\\') {
            plain = false;
            if (!ReadUcn(name, i, c)) {
                flaw(Reason::StrayBackslash, '\\');
                ++i;
                continue;
            }
            if (IsSurrogate(c) || c > kMaxCodePoint) {
                flaw(Reason::UcnNoCharacter, c);
                continue;
            }
            // Clang takes a '$' spelled so only after the first character.
            if (c < kFirstUcnInIdentifier && (c != kDollar || first)) {
                flaw(Reason::UcnBasic, c);
                continue;
            }
        } else {
            c = NextCodePoint(name, i);
        }
        if (c < 0x80) {
            if (plain) s.ascii += static_cast<char>(c);
            if (c == kDollar) {
                s.dollar = true;
            } else if (first && IsAsciiDigit(c)) {
                flaw(Reason::LeadingDigit, c);
            } else if (!IsIdentifierContinue(c)) {
                flaw(Reason::AsciiCharacter, c);
            }
            continue;
        }
        plain = false;
        if (IsSurrogate(c)) {
            flaw(Reason::Surrogate, c);
        } else if (c == kReplacementCharacter) {
            flaw(Reason::Replacement, c);
        } else if (IsFormatCharacter(c)) {
            flaw(Reason::FormatCharacter, c);
        } else if (first ? !IsIdentifierStart(c) : !IsIdentifierContinue(c)) {
            if (IsNewerIdentifierCharacter(c))
                flaw(Reason::NewerCharacter, c);
            else if (first && IsIdentifierContinue(c))
                flaw(Reason::NotStart, c);
            else
                flaw(Reason::NotIdentifierCharacter, c);
        }
    }
    if (!plain) s.ascii.clear();
    return s;
}

bool IsReserved(WideStringView name) {
    return name.find(u"__") != WideStringView::npos ||
           (name.size() >= 2 && name[0] == u'_' && name[1] >= u'A' && name[1] <= u'Z');
}

std::string StructureType(WideStringView group) {
    WideString type(1, names::kGroupTypePrefix);
    type += group;
    return Quoted(type);
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
    if (IsUnprintable(c) || c > kMaxCodePoint) return CodePointLabel(c);
    std::string shown;
    AppendShown(shown, c);
    return "'" + shown + "' (" + CodePointLabel(c) + ")";
}

}  // namespace

WideString IdentifierOf(WideStringView name) {
    name = TrimStart(TrimEnd(name));
    if (name.find(u'\\') == WideStringView::npos) return WideString(name);
    WideString out;
    for (std::size_t i = 0; i < name.size();) {
        char32_t c = 0;
        if (name[i] == u'\\' && ReadUcn(name, i, c) && !IsSurrogate(c) && c <= kMaxCodePoint) {
            AppendUtf16(out, c);
        } else {
            out += name[i++];
        }
    }
    return out;
}

std::optional<NameVerdict> JudgeMemberName(const MemberName& m) {
    const auto error = [](Reason reason, char32_t c = 0) { return NameVerdict{Severity::Error, reason, c}; };
    const auto warning = [](Reason reason) { return NameVerdict{Severity::Warning, reason, 0}; };
    const bool group = m.role == MemberRole::Group;

    if (m.name.empty()) return error(Reason::Empty);
    // The compiler skips blanks around an entry's name, and after a group's
    // (its type, "_" and the name, must stay one token).
    const WideStringView trimmed = group ? TrimEnd(m.name) : TrimStart(TrimEnd(m.name));
    if (trimmed.empty()) return error(Reason::Blank);
    const Spelling s = Spell(trimmed);
    if (s.flaw) return s.flaw;
    if (const auto word = FindReservedWord(s.ascii)) {
        switch (*word) {
            case ReservedWord::Keyword: return error(Reason::Keyword);
            case ReservedWord::Cxx20Keyword: return error(Reason::Cxx20Keyword);
            case ReservedWord::GnuKeyword: return error(Reason::GnuKeyword);
            case ReservedWord::CompilerWord: return error(Reason::CompilerWord);
            case ReservedWord::MsvcWord: return error(Reason::MsvcWord);
            case ReservedWord::WindowsMacro: return error(Reason::WindowsMacro);
        }
    }

    // Names the generated code itself uses. Inside TextResource a member S
    // clashes with the typedef; in a nested structure an entry S is declared
    // with the type S it hides, which GCC rejects.
    if (trimmed == names::kMemberType && (m.topLevel || !group)) return error(Reason::HidesTypeS);
    if (trimmed == names::kIncludeGuard) return error(Reason::IncludeGuard);
    if (group && !m.topLevel && IdentifierOf(m.name) == IdentifierOf(m.enclosingGroup))
        return error(Reason::SameAsEnclosing);

    if (IsReserved(trimmed)) return warning(Reason::Reserved);
    if (group && trimmed[0] == u'_') return warning(Reason::ReservedGroupType);
    if (FindCommonMacro(s.ascii)) return warning(Reason::CommonMacro);
    if (s.dollar) return warning(Reason::Dollar);
    if (trimmed.size() != m.name.size()) return warning(Reason::Blanks);
    return std::nullopt;
}

std::string DescribeNameProblem(const MemberName& m, const NameVerdict& v) {
    const bool group = m.role == MemberRole::Group;
    const char* role = group ? "group " : "entry ";
    const bool dotted = m.fullName.size() != m.name.size();
    const std::string where = dotted ? " in " + Quoted(m.fullName) : std::string();
    if (v.reason == Reason::Empty)
        return std::string("empty ") + role + "name" + where +
               ": the member has no name and the generated code will not compile";

    const std::string subject = role + Quoted(m.name) + where + " ";
    const std::string label = CodePointLabel(v.character);
    switch (v.reason) {
        case Reason::Empty: break;
        case Reason::LeadingDigit:
            return subject + "starts with a digit, so it is not a C++ identifier" + kHeaderBreaks;
        case Reason::AsciiCharacter:
        case Reason::Surrogate:
        case Reason::Replacement:
            return subject + "holds " + DescribeCharacter(v.character) + ", which no C++ identifier may hold" +
                   kHeaderBreaks;
        case Reason::FormatCharacter:
            return subject + "holds the invisible " +
                   (IsBidiControl(v.character) ? "bidirectional control " : "format character ") + label +
                   ", which no C++ identifier may hold (and which can make code read otherwise than it compiles)" +
                   kHeaderBreaks;
        case Reason::NotStart:
            return subject + "starts with " + DescribeCharacter(v.character) +
                   ", which may continue an identifier but not begin it (Unicode XID_Start)" + kHeaderBreaks;
        case Reason::NotIdentifierCharacter:
            return subject + "holds " + DescribeCharacter(v.character) +
                   ", which is no identifier character (Unicode XID_Continue): Clang rejects the header";
        case Reason::NewerCharacter:
            return subject + "holds " + DescribeCharacter(v.character) + ", an identifier character added after Unicode " +
                   IdentifierUnicodeVersion() + " (the version Clang 14 knows): Clang 14 rejects the header";
        case Reason::StrayBackslash:
            return subject +
                   "holds a backslash that begins no universal character name (\\u and 4 hex digits, or \\U and 8)" +
                   kHeaderBreaks;
        case Reason::UcnNoCharacter:
            return subject + "holds a universal character name that names no character (" + label + ")" +
                   kHeaderBreaks;
        case Reason::UcnBasic:
            return subject + "spells " + label +
                   " as a universal character name, which an identifier may not do for a basic or control "
                   "character" + kHeaderBreaks;
        case Reason::Keyword: return subject + "is a C++ keyword" + kHeaderBreaks;
        case Reason::Cxx20Keyword:
            return subject + "is a keyword of C++20: the header will not compile with -std=c++20 and later";
        case Reason::GnuKeyword:
            return subject +
                   "is a keyword in GNU mode (-std=gnu++17, CMake's default): GCC and Clang reject the header there";
        case Reason::CompilerWord:
            return subject + "is a keyword, built-in or predefined macro of GCC or Clang" + kHeaderBreaks;
        case Reason::MsvcWord: return subject + "is a keyword of MSVC: MSVC rejects the header";
        case Reason::WindowsMacro:
            return subject + "is a macro that compilers for Windows (MSVC, MinGW) predefine: the header will not "
                             "compile there";
        case Reason::HidesTypeS:
            return subject + "hides the type S that the generated members are declared with" + kHeaderBreaks;
        case Reason::IncludeGuard:
            return subject + "is the header's include guard, a macro that expands to nothing" + kHeaderBreaks;
        case Reason::SameAsEnclosing:
            return subject + "declares a structure " + StructureType(m.name) +
                   " inside the structure of the same name" + kHeaderBreaks;
        case Reason::Reserved:
            return subject + "is an identifier that C++ reserves for the compiler and its library: it may clash "
                             "with one of their names";
        case Reason::ReservedGroupType:
            return subject + "gives the structure type " + StructureType(m.name) +
                   ", whose double underscore C++ reserves for the compiler and its library: it may clash with one "
                   "of their names";
        case Reason::CommonMacro: {
            const WideString name = IdentifierOf(m.name);
            const CommonMacro* macro = FindCommonMacro(std::string(name.begin(), name.end()));
            const std::string header(macro->header);
            const std::string expansion(macro->expansion);
            if (macro->gnuMode) {
                return subject + "is a macro that GCC and Clang predefine as " + expansion +
                       " in GNU mode (-std=gnu++17, CMake's default) on some platforms (Linux, Unix, 32-bit x86): "
                       "the header will not compile there";
            }
            if (macro->renames) {
                return subject + "is a macro of " + header + " that becomes " + expansion +
                       " with UNICODE defined: where " + header + " is included first, the member is renamed";
            }
            return subject + "is a macro of " + header + " that becomes " + expansion + ": where " + header +
                   " is included first, the header will not compile";
        }
        case Reason::Blank:
            return subject + "holds only spaces or tabs: the member has no name" + kHeaderBreaks;
        case Reason::Blanks:
            return subject + "has spaces or tabs around it, which the compiler skips but the generator keeps: another "
                             "line or language that spells the name without them names another member";
        case Reason::Dollar:
            return subject + "holds '$', which GCC, Clang and MSVC accept in identifiers only as an extension";
    }
    return subject;
}

std::optional<Diagnostic> CheckMemberName(const MemberName& member) {
    const auto verdict = JudgeMemberName(member);
    if (!verdict) return std::nullopt;
    Diagnostic finding{0, DescribeNameProblem(member, *verdict), verdict->severity};
    finding.subject = Diagnostic::Subject::Name;
    return finding;
}

}  // namespace textrescheck
