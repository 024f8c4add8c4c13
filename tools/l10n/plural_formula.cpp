#include "l10n/plural_formula.h"

#include <limits>

namespace textresl10n {
namespace {

using Node = PluralFormula::Node;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Recursive descent over gettext's grammar, lowest precedence first:
// ?: (right to left), ||, &&, == !=, < > <= >=, + -, * / %, !, primary.
// Every level that nests counts against the depth bound, so a formula of
// a thousand parentheses is an error, not a deep recursion.
class FormulaParser {
public:
    FormulaParser(std::string_view text, std::vector<Node>& nodes) : text_(text), nodes_(nodes) {}

    bool Run(std::size_t& root, std::string& error) {
        if (!Choice(root, 0)) {
            error = error_;
            return false;
        }
        Skip();
        if (at_ != text_.size()) {
            error = "unexpected '" + std::string(1, text_[at_]) + "' in the formula";
            return false;
        }
        return true;
    }

private:
    void Skip() {
        while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
    }

    bool Accept(std::string_view token) {
        Skip();
        if (text_.substr(at_, token.size()) != token) return false;
        // "<" is not the start of "<=", nor "!" of "!=", nor "&" of "&&"...
        if (token.size() == 1 && at_ + 1 < text_.size()) {
            const char next = text_[at_ + 1];
            if ((token == "<" || token == ">" || token == "!" || token == "=") && next == '=') return false;
        }
        at_ += token.size();
        return true;
    }

    bool Fail(const std::string& message) {
        if (error_.empty()) error_ = message;
        return false;
    }

    // A level of nesting ('(', '?', '!') takes up to ten calls below.
    bool Deeper(std::size_t depth) const { return depth < kMaxPluralFormulaDepth * 10; }

    std::size_t Add(Node node) {
        nodes_.push_back(std::move(node));
        return nodes_.size() - 1;
    }

    bool Choice(std::size_t& out, std::size_t depth) {
        if (!Deeper(depth)) return Fail("the formula nests deeper than " + std::to_string(kMaxPluralFormulaDepth));
        std::size_t condition = 0;
        if (!Binary(condition, 0, depth + 1)) return false;
        if (!Accept("?")) {
            out = condition;
            return true;
        }
        std::size_t yes = 0, no = 0;
        if (!Choice(yes, depth + 1)) return false;
        if (!Accept(":")) return Fail("a '?' without its ':'");
        if (!Choice(no, depth + 1)) return false;
        Node node;
        node.kind = Node::Kind::Choice;
        node.a = condition;
        node.b = yes;
        node.c = no;
        out = Add(node);
        return true;
    }

    // The binary operators by level, loosest first; each level is left
    // associative.
    bool Binary(std::size_t& out, std::size_t level, std::size_t depth) {
        static const std::vector<std::vector<std::string_view>> kLevels = {
                {"||"}, {"&&"}, {"==", "!="}, {"<=", ">=", "<", ">"}, {"+", "-"}, {"*", "/", "%"}};
        if (!Deeper(depth)) return Fail("the formula nests deeper than " + std::to_string(kMaxPluralFormulaDepth));
        if (level == kLevels.size()) return Unary(out, depth + 1);
        if (!Binary(out, level + 1, depth + 1)) return false;
        for (;;) {
            std::string_view found;
            for (const std::string_view op : kLevels[level])
                if (Accept(op)) {
                    found = op;
                    break;
                }
            if (found.empty()) return true;
            std::size_t right = 0;
            if (!Binary(right, level + 1, depth + 1)) return false;
            Node node;
            node.kind = Node::Kind::Binary;
            node.op = std::string(found);
            node.a = out;
            node.b = right;
            out = Add(node);
            // A long chain (n+n+...+n) makes a deep tree: bounded like nesting.
            if (++chain_ > kMaxPluralFormulaDepth * 8) return Fail("the formula has too many operators");
        }
    }

    bool Unary(std::size_t& out, std::size_t depth) {
        if (!Deeper(depth)) return Fail("the formula nests deeper than " + std::to_string(kMaxPluralFormulaDepth));
        if (Accept("!")) {
            std::size_t operand = 0;
            if (!Unary(operand, depth + 1)) return false;
            Node node;
            node.kind = Node::Kind::Not;
            node.a = operand;
            out = Add(node);
            return true;
        }
        return Primary(out, depth + 1);
    }

    bool Primary(std::size_t& out, std::size_t depth) {
        Skip();
        if (at_ == text_.size()) return Fail("the formula ends where an operand is expected");
        if (Accept("(")) {
            if (!Choice(out, depth + 1)) return false;
            if (!Accept(")")) return Fail("a '(' without its ')'");
            return true;
        }
        Node node;
        if (text_[at_] == 'n') {
            ++at_;
            node.kind = Node::Kind::N;
        } else if (IsDigit(text_[at_])) {
            std::uint64_t value = 0;
            constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
            while (at_ < text_.size() && IsDigit(text_[at_])) {
                const auto digit = static_cast<std::uint64_t>(text_[at_++] - '0');
                if (value > (kMax - digit) / 10) return Fail("a number in the formula is too large");
                value = value * 10 + digit;
            }
            node.value = value;
        } else {
            return Fail("unexpected '" + std::string(1, text_[at_]) + "' where n, a number or '(' is expected");
        }
        out = Add(node);
        return true;
    }

    std::string_view text_;
    std::vector<Node>& nodes_;
    std::size_t at_ = 0;
    std::size_t chain_ = 0;
    std::string error_;
};

// The value after "name=" in a header of "a=...; b=...;" fields.
bool FieldValue(std::string_view header, std::string_view name, std::string_view& value) {
    for (std::size_t at = header.find(name); at != std::string_view::npos; at = header.find(name, at + 1)) {
        if (at > 0 && !IsBlank(header[at - 1]) && header[at - 1] != ';') continue;
        std::size_t i = at + name.size();
        while (i < header.size() && IsBlank(header[i])) ++i;
        if (i >= header.size() || header[i] != '=') continue;
        value = header.substr(i + 1);
        return true;
    }
    return false;
}

}  // namespace

bool PluralFormula::Parse(std::string_view header, std::string& error) {
    count_ = 0;
    nodes_.clear();
    root_ = 0;
    if (header.size() > kMaxPluralFormulaLength) {
        error = "the Plural-Forms header is longer than " + std::to_string(kMaxPluralFormulaLength) + " characters";
        return false;
    }
    std::string_view count, plural;
    if (!FieldValue(header, "nplurals", count) || !FieldValue(header, "plural", plural)) {
        error = "the Plural-Forms header needs \"nplurals=N; plural=EXPRESSION;\"";
        return false;
    }
    std::size_t i = 0;
    while (i < count.size() && IsBlank(count[i])) ++i;
    std::uint64_t forms = 0;
    const std::size_t digits = i;
    while (i < count.size() && IsDigit(count[i]) && forms <= kMaxPluralForms) forms = forms * 10 + static_cast<std::uint64_t>(count[i++] - '0');
    while (i < count.size() && IsBlank(count[i])) ++i;
    if (i == digits || (i < count.size() && count[i] != ';') || forms == 0 || forms > kMaxPluralForms) {
        error = "nplurals must be a number from 1 to " + std::to_string(kMaxPluralForms);
        return false;
    }
    // The expression runs to the ';' that ends the field, or to the end.
    plural = plural.substr(0, plural.find(';'));
    std::vector<Node> nodes;
    std::size_t root = 0;
    std::string why;
    if (!FormulaParser(plural, nodes).Run(root, why)) {
        error = "the plural formula cannot be read: " + why;
        return false;
    }
    count_ = forms;
    nodes_ = std::move(nodes);
    root_ = root;
    return true;
}

bool PluralFormula::Evaluate(std::uint64_t n, std::uint64_t& index) const {
    return !nodes_.empty() && Value(root_, n, index);
}

bool PluralFormula::CheckValues(std::string& error) const {
    for (std::uint64_t n = 0; n <= kCheckedCounts; ++n) {
        std::uint64_t index = 0;
        const std::string at = " for n = " + std::to_string(n) + ", which msgfmt refuses (\"plural expression can produce ";
        if (!Evaluate(n, index)) {
            error = "the plural formula divides by zero" + at + "division by zero\")";
            return false;
        }
        if (static_cast<std::int64_t>(index) < 0) {
            error = "the plural formula gives a negative value" + at + "negative values\")";
            return false;
        }
        if (index >= count_) {
            error = "the plural formula gives " + std::to_string(index) + ", past nplurals = " + std::to_string(count_) +
                    "," + at + "values as large as " + std::to_string(index) + "\")";
            return false;
        }
    }
    return true;
}

bool PluralFormula::Value(std::size_t at, std::uint64_t n, std::uint64_t& out) const {
    const Node& node = nodes_[at];
    std::uint64_t a = 0, b = 0;
    switch (node.kind) {
        case Node::Kind::Number: out = node.value; return true;
        case Node::Kind::N: out = n; return true;
        case Node::Kind::Not:
            if (!Value(node.a, n, a)) return false;
            out = a == 0;
            return true;
        case Node::Kind::Choice:
            if (!Value(node.a, n, a)) return false;
            return Value(a != 0 ? node.b : node.c, n, out);
        case Node::Kind::Binary: break;
    }
    if (!Value(node.a, n, a)) return false;
    // && and || do not evaluate their right side when the left decides.
    if (node.op == "&&" && a == 0) return out = 0, true;
    if (node.op == "||" && a != 0) return out = 1, true;
    if (!Value(node.b, n, b)) return false;
    const std::string& op = node.op;
    if (op == "&&" || op == "||") out = b != 0;
    else if (op == "*") out = a * b;  // unsigned: wraps as gettext's unsigned long does
    else if (op == "/" || op == "%") {
        if (b == 0) return false;
        out = op == "/" ? a / b : a % b;
    } else if (op == "+") out = a + b;
    else if (op == "-") out = a - b;
    else if (op == "<") out = a < b;
    else if (op == ">") out = a > b;
    else if (op == "<=") out = a <= b;
    else if (op == ">=") out = a >= b;
    else if (op == "==") out = a == b;
    else out = a != b;
    return true;
}

}  // namespace textresl10n
