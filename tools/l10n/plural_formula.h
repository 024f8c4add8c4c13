#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// gettext's Plural-Forms header ("nplurals=3; plural=(n%10==1 ? 0 : 1);"):
// how many forms a plural message has and which one a count picks. The
// formula comes from the file, so it is parsed into a small tree and
// evaluated here, never handed to anything else: C's expression subset as
// gettext reads it (n, decimal constants, ! * / % + - < > <= >= == != && ||
// ?: and parentheses), in unsigned 64-bit arithmetic as gettext computes it.
namespace textresl10n {

// Formulas are short (the longest gettext knows has under 200 characters);
// these bound what a hostile header costs.
inline constexpr std::size_t kMaxPluralFormulaLength = 1024;
inline constexpr std::size_t kMaxPluralFormulaDepth = 32;  // nested '(', '?', '!'
inline constexpr std::uint64_t kMaxPluralForms = 32;
// The counts msgfmt evaluates a formula for: 0 to 1000.
inline constexpr std::uint64_t kCheckedCounts = 1000;

class PluralFormula {
public:
    // Parses a Plural-Forms value: "nplurals=N; plural=EXPRESSION;" (the
    // order of the two, blanks and the last ';' as gettext allows). False
    // with the reason for anything else, including nplurals outside 1..32.
    bool Parse(std::string_view header, std::string& error);

    std::uint64_t Count() const { return count_; }

    // The form index the formula gives for n; false when it divides by
    // zero for this n.
    bool Evaluate(std::uint64_t n, std::uint64_t& index) const;

    // Whether the formula gives a form for every count from 0 to
    // kCheckedCounts, as msgfmt checks it: false, with msgfmt's meaning and
    // the first count that shows it, for a division by zero, a negative
    // value (gettext's unsigned long read as signed: "0-1") and a value of
    // nplurals or more.
    bool CheckValues(std::string& error) const;

    struct Node {
        enum class Kind { Number, N, Not, Binary, Choice } kind = Kind::Number;
        std::string op;       // Binary: "*", "/", "%", "+", "-", "<", ">", "<=", ">=", "==", "!=", "&&", "||"
        std::uint64_t value = 0;
        std::size_t a = 0, b = 0, c = 0;  // operands: indices into nodes_
    };

private:
    bool Value(std::size_t node, std::uint64_t n, std::uint64_t& out) const;

    std::uint64_t count_ = 0;
    std::vector<Node> nodes_;
    std::size_t root_ = 0;
};

}  // namespace textresl10n
