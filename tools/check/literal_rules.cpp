#include "check/literal_rules.h"

#include <cstdint>

#include "charclass/character_classes.h"
#include "check/cli_names.h"
#include "codec/literal_body.h"
#include "codec/literal_lexer.h"
#include "text/unicode.h"

namespace textrescheck {

using namespace textresgen::unicode;
using namespace textresgen::charclass;
namespace {

using textresgen::WideStringView;

constexpr const char* kSourceBreaks = ": the source will not compile";

// Reports on the tokens of the literal body, as the compiler reads it, and
// counts the UTF-16 units the literal will hold.
class LiteralScanner {
public:
    LiteralScanner(WideStringView text, WideStringView name, ProblemSink& sink)
        : text_(text), name_(name), sink_(sink) {}

    void Run() {
        textresgen::LiteralLexer lexer(text_);
        while (lexer.Next(token_)) {
            const auto value = static_cast<char32_t>(token_.value);
            // Which tokens are faults is the codec's rule; what they break,
            // and the warnings about sound tokens, are told here.
            switch (textresgen::FaultOf(token_)) {
                case TokenFault::None: SoundToken(value); break;
                case TokenFault::Unportable: UnknownAsciiEscape(value); break;
                case TokenFault::Broken: BrokenToken(value); break;
            }
            units_ += UnitsOf(token_);
        }
        const std::uint64_t bytes = 2 * (units_ + 1);
        if (bytes > kMsvcLiteralLimitBytes) {
            Report(Severity::Error, [&] {
                return "makes a literal of " + std::to_string(bytes) +
                       " bytes (UTF-16, terminator included), more than the " +
                       std::to_string(kMsvcLiteralLimitBytes) +
                       " that MSVC accepts in one piece: MSVC stops with error C2026";
            });
        }
    }

private:
    using Kind = textresgen::LiteralToken::Kind;
    using TokenFault = textresgen::TokenFault;

    // The UTF-16 units a token adds to the literal.
    static std::uint64_t UnitsOf(const textresgen::LiteralToken& token) {
        const auto value = static_cast<char32_t>(token.value);
        switch (token.kind) {
            case Kind::BackslashAtEnd: return 0;
            case Kind::Character:
            case Kind::UnknownEscape: return value > 0xFFFF ? 2 : 1;
            case Kind::Universal: return value > 0xFFFF && value <= kMaxCodePoint ? 2 : 1;
            case Kind::SimpleEscape:
            case Kind::Octal:
            case Kind::Hex:
            case Kind::HexWithoutDigits:
            case Kind::IncompleteUniversal: break;
        }
        return 1;
    }

    void SoundToken(char32_t value) {
        switch (token_.kind) {
            case Kind::Character:
                if (IsFormatCharacter(value)) InvisibleCharacter(value);
                break;
            case Kind::Hex: LongHexEscape(); break;
            case Kind::Octal:
            case Kind::Universal: CheckNul(token_.value); break;
            default: break;
        }
    }

    void BrokenToken(char32_t value) {
        switch (token_.kind) {
            case Kind::Character:
                if (value == U'"') {
                    Report(Severity::Error, [&] {
                        return "has an unescaped '\"' at character " + At() + ", which ends the literal early" +
                               kSourceBreaks;
                    });
                } else {
                    Report(Severity::Error, [&] {
                        return "has an unpaired surrogate " + CodePointLabel(value) + " at character " + At() +
                               ", which no encoding can hold: GCC cannot read the source and textresgen-utf8 "
                               "refuses it" + kSourceBreaks;
                    });
                }
                break;
            case Kind::Hex: HexTooLarge(); break;
            case Kind::Universal:
                Report(Severity::Error, [&] {
                    return "has " + Shown() + " at character " + At() + ", which names no character" + kSourceBreaks;
                });
                break;
            case Kind::HexWithoutDigits:
                Report(Severity::Error,
                       [&] { return "has '\\x' without hex digits at character " + At() + kSourceBreaks; });
                break;
            case Kind::IncompleteUniversal:
                Report(Severity::Error, [&] {
                    return "has the incomplete " + Shown() + " at character " + At() + " (\\u takes 4 hex digits, \\U 8)" +
                           kSourceBreaks;
                });
                break;
            case Kind::UnknownEscape:
                // GCC cannot convert the escape; Clang calls it an illegal encoding.
                Report(Severity::Error, [&] {
                    return "has a backslash before the non-ASCII character " + CodePointLabel(value) +
                           " at character " + At() + ", which is no escape" + kSourceBreaks;
                });
                break;
            case Kind::BackslashAtEnd:
                Report(Severity::Error, [] {
                    return "ends in a backslash, which escapes the literal's closing quote" + std::string(kSourceBreaks);
                });
                break;
            case Kind::SimpleEscape:
            case Kind::Octal: break;
        }
    }

    void UnknownAsciiEscape(char32_t kept) {
        Report(Severity::Warning, [&] {
            std::string shown;
            AppendShown(shown, kept);
            return "has the unknown escape " + Shown() + " at character " + At() + ": compilers warn and keep '" +
                   shown + "' without the backslash";
        });
    }

    void HexTooLarge() {
        if (token_.value > 0xFFFFFFFF) {
            Report(Severity::Error, [&] {
                return "has " + Shown() + " at character " + At() +
                       ", larger than any wchar_t: Clang and MSVC reject the source";
            });
        } else {
            Report(Severity::Error, [&] {
                return "has " + Shown() + " at character " + At() +
                       ", too large for the 16-bit wchar_t of Windows: MSVC rejects the source (GCC and Clang "
                       "accept it only where wchar_t has 32 bits)";
            });
        }
    }

    // A sound \x escape: one unit, whatever number of digits it takes.
    void LongHexEscape() {
        const std::uint64_t value = token_.value;
        if (token_.digits > 2) {
            Report(Severity::Warning, [&] {
                return "has " + Shown() + " at character " + At() + ", read as the single unit " +
                       CodePointLabel(static_cast<char32_t>(value)) +
                       ": \\x takes every hex digit that follows, so if fewer were meant the rest of them is lost "
                       "from the text (\\u takes exactly 4)";
            });
        } else {
            CheckNul(value);
        }
    }

    // A zero unit ends the string for every reader of the pointer.
    void CheckNul(std::uint64_t value) {
        if (value == 0 && token_.end < text_.size()) {
            Report(Severity::Warning, [&] {
                return "has " + Shown() + " at character " + At() +
                       ", which ends the string for the application: the text after it is never seen";
            });
        }
    }

    // Bidirectional controls and other invisible characters that format
    // text: they can make a line read otherwise than it is (Trojan Source).
    // The joiners that scripts and emoji need are left alone.
    void InvisibleCharacter(char32_t c) {
        if (c == kZeroWidthNonJoiner || c == kZeroWidthJoiner) return;
        Report(Severity::Warning, [&] {
            return std::string("has the invisible ") +
                   (IsBidiControl(c) ? "bidirectional control " : "format character ") + CodePointLabel(c) +
                   " at character " + At() +
                   ": it can make the text, and the code around it, read otherwise than it is (GCC warns with "
                   "-Wbidi-chars); write it as \\u" + HexDigits(c) + " if it is meant";
        });
    }

    static std::string HexDigits(char32_t c) {
        const std::string label = CodePointLabel(c);
        return label.substr(2);
    }

    std::string Shown() const { return Quoted(text_.substr(token_.begin, token_.end - token_.begin)); }
    std::string At() const { return std::to_string(token_.character); }

    // The message is built only when the sink will show it.
    template <typename Message>
    void Report(Severity severity, Message message) {
        if (sink_.Take(severity)) sink_.Add(severity, "text of " + Quoted(name_) + " " + message());
    }

    WideStringView text_;
    WideStringView name_;
    ProblemSink& sink_;
    textresgen::LiteralToken token_;
    std::uint64_t units_ = 0;
};

class CollectAll final : public ProblemSink {
public:
    bool Take(Severity) override { return true; }
    void Add(Severity severity, std::string message) override {
        problems.push_back({0, std::move(message), severity});
        problems.back().subject = Diagnostic::Subject::Text;
    }
    std::vector<Diagnostic> problems;
};

}  // namespace

void CheckLiteralText(WideStringView text, WideStringView name, ProblemSink& sink) {
    LiteralScanner(text, name, sink).Run();
}

std::vector<Diagnostic> CheckLiteralText(WideStringView text, WideStringView name) {
    CollectAll all;
    CheckLiteralText(text, name, all);
    return std::move(all.problems);
}

}  // namespace textrescheck
