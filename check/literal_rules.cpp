#include "check/literal_rules.h"

#include <cstdint>

#include "charclass/character_classes.h"
#include "check/message_text.h"
#include "text/unicode.h"

namespace textrescheck {

using namespace textresgen::unicode;
using namespace textresgen::charclass;
namespace {

using textresgen::WideStringView;

constexpr const char* kSourceBreaks = ": the source will not compile";

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool IsSimpleEscape(char16_t c) {
    switch (c) {
        case u'\'': case u'"': case u'?': case u'\\':
        case u'a': case u'b': case u'f': case u'n': case u'r': case u't': case u'v':
            return true;
        default:
            return false;
    }
}

// Walks the literal body as the compiler reads it, one character or escape
// at a time, and counts the UTF-16 units the literal will hold.
class LiteralScanner {
public:
    LiteralScanner(WideStringView text, WideStringView name, ProblemSink& sink)
        : text_(text), name_(name), sink_(sink) {}

    void Run() {
        while (i_ < text_.size()) {
            start_ = i_;
            startCharacter_ = ++character_;
            const char32_t c = NextCodePoint(text_, i_);
            if (c == u'\\') {
                if (!Escape()) break;
                continue;
            }
            if (c == u'"') {
                Report(Severity::Error, [&] {
                    return "has an unescaped '\"' at character " + At() + ", which ends the literal early" +
                           kSourceBreaks;
                });
            } else if (IsSurrogate(c)) {
                Report(Severity::Error, [&] {
                    return "has an unpaired surrogate " + CodePointLabel(c) + " at character " + At() +
                           ", which no encoding can hold: GCC cannot read the source and textresgen-utf8 refuses it" +
                           kSourceBreaks;
                });
            } else if (IsFormatCharacter(c)) {
                InvisibleCharacter(c);
            }
            units_ += c > 0xFFFF ? 2 : 1;
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
    // Reads the escape after a backslash; false when the text ends there.
    bool Escape() {
        if (i_ == text_.size()) {
            Report(Severity::Error, [] {
                return "ends in a backslash, which escapes the literal's closing quote" + std::string(kSourceBreaks);
            });
            return false;
        }
        const char16_t kind = text_[i_];
        if (IsSimpleEscape(kind)) {
            Take(1);
            ++units_;
        } else if (kind >= u'0' && kind <= u'7') {
            std::uint32_t value = 0;
            for (int digits = 0; digits < 3 && i_ < text_.size() && text_[i_] >= u'0' && text_[i_] <= u'7'; ++digits) {
                value = value * 8 + static_cast<std::uint32_t>(text_[i_] - u'0');
                Take(1);
            }
            ++units_;
            CheckNul(value);
        } else if (kind == u'x') {
            HexEscape();
        } else if (kind == u'u' || kind == u'U') {
            UniversalName(kind == u'u' ? 4 : 8);
        } else {
            const char32_t kept = NextCodePoint(text_, i_);
            ++character_;
            if (kept >= 0x80) {
                // GCC cannot convert the escape; Clang calls it an illegal encoding.
                Report(Severity::Error, [&] {
                    return "has a backslash before the non-ASCII character " + CodePointLabel(kept) +
                           " at character " + At() + ", which is no escape" + kSourceBreaks;
                });
            } else {
                Report(Severity::Warning, [&] {
                    std::string shown;
                    AppendShown(shown, kept);
                    return "has the unknown escape " + Shown() + " at character " + At() +
                           ": compilers warn and keep '" + shown + "' without the backslash";
                });
            }
            units_ += kept > 0xFFFF ? 2 : 1;
        }
        return true;
    }

    void HexEscape() {
        Take(1);
        std::uint64_t value = 0;
        std::size_t digits = 0;
        for (int d; i_ < text_.size() && (d = HexValue(text_[i_])) >= 0; ++digits) {
            if (value <= 0xFFFFFFFFF) value = value * 16 + static_cast<std::uint64_t>(d);
            Take(1);
        }
        ++units_;
        if (digits == 0) {
            Report(Severity::Error, [&] { return "has '\\x' without hex digits at character " + At() + kSourceBreaks; });
        } else if (value > 0xFFFFFFFF) {
            Report(Severity::Error, [&] {
                return "has " + Shown() + " at character " + At() +
                       ", larger than any wchar_t: Clang and MSVC reject the source";
            });
        } else if (value > 0xFFFF) {
            Report(Severity::Error, [&] {
                return "has " + Shown() + " at character " + At() +
                       ", too large for the 16-bit wchar_t of Windows: MSVC rejects the source (GCC and Clang "
                       "accept it only where wchar_t has 32 bits)";
            });
        } else if (digits > 2) {
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

    void UniversalName(std::size_t wanted) {
        Take(1);
        std::uint32_t value = 0;
        std::size_t digits = 0;
        for (int d; digits < wanted && i_ < text_.size() && (d = HexValue(text_[i_])) >= 0; ++digits) {
            value = value * 16 + static_cast<std::uint32_t>(d);
            Take(1);
        }
        if (digits < wanted) {
            ++units_;
            Report(Severity::Error, [&] {
                return "has the incomplete " + Shown() + " at character " + At() + " (\\u takes 4 hex digits, \\U 8)" +
                       kSourceBreaks;
            });
        } else if (IsSurrogate(value) || value > kMaxCodePoint) {
            ++units_;
            Report(Severity::Error,
                   [&] { return "has " + Shown() + " at character " + At() + ", which names no character" + kSourceBreaks; });
        } else {
            units_ += value > 0xFFFF ? 2 : 1;
            CheckNul(value);
        }
    }

    // A zero unit ends the string for every reader of the pointer.
    void CheckNul(std::uint64_t value) {
        if (value == 0 && i_ < text_.size()) {
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

    // Consumes `count` units that are single characters (escape letters, digits).
    void Take(std::size_t count) {
        i_ += count;
        character_ += count;
    }

    std::string Shown() const { return Quoted(text_.substr(start_, i_ - start_)); }
    std::string At() const { return std::to_string(startCharacter_); }

    // The message is built only when the sink will show it.
    template <typename Message>
    void Report(Severity severity, Message message) {
        if (sink_.Take(severity)) sink_.Add(severity, "text of " + Quoted(name_) + " " + message());
    }

    WideStringView text_;
    WideStringView name_;
    ProblemSink& sink_;
    std::size_t i_ = 0;
    std::size_t start_ = 0;
    std::size_t character_ = 0;
    std::size_t startCharacter_ = 0;
    std::uint64_t units_ = 0;
};

class CollectAll final : public ProblemSink {
public:
    bool Take(Severity) override { return true; }
    void Add(Severity severity, std::string message) override { problems.push_back({0, std::move(message), severity}); }
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
