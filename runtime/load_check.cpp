// The check at load: a member whose printf directives take other arguments
// than the base's text would make Format (or printf) read its arguments as
// the wrong types, so it gets the base's text instead. Most texts hold no
// '%' at all: they are passed over after one wcschr.
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include <textresgen/runtime.h>

namespace textresgen::detail {
namespace {

const wchar_t* Member(const void* texts, std::size_t index) { return MemberAt(texts, index); }

void SetMember(void* texts, std::size_t index, const wchar_t* text) {
    std::memcpy(static_cast<unsigned char*>(texts) + index * sizeof text, &text, sizeof text);
}

// The signature of a text that may hold no '%' at all.
std::string SignatureOf(const wchar_t* text, SignatureFunction signature) {
    if (std::wcschr(text, L'%') == nullptr) return "";
    return signature(text);
}

// What a signature takes, for people.
std::string Shown(const std::string& signature) {
    if (signature.empty()) return "no arguments";
    if (signature[0] == '!') return "no valid printf format";
    return "(" + signature + ")";
}

// The signature without its last argument: a form of a plural message may
// leave out the count.
std::string WithoutLast(const std::string& signature) {
    const std::size_t comma = signature.rfind(',');
    return comma == std::string::npos ? std::string() : signature.substr(0, comma);
}

// Every member's dotted name, in order, from BaseTextsOf's pieces (names
// each followed by '\0'; an empty name ends a piece): walked forward only,
// so naming any number of members costs one pass.
class Names {
public:
    Names(const char* const* pieces, std::size_t count) : pieces_(pieces), count_(count) {}

    // Indexes only grow from one call to the next.
    std::string At(std::size_t index) {
        while (piece_ < count_ && index_ <= index) {
            const char* name = pieces_[piece_] + offset_;
            if (*name == '\0') {
                ++piece_;
                offset_ = 0;
                continue;
            }
            if (index_ == index) return name;
            offset_ += std::strlen(name) + 1;
            ++index_;
        }
        return "member " + std::to_string(index + 1);
    }

private:
    const char* const* pieces_;
    std::size_t count_;
    std::size_t piece_ = 0;
    std::size_t offset_ = 0;
    std::size_t index_ = 0;
};

}  // namespace

std::vector<std::string> ExpectedSignatures(const BaseText* table, std::size_t members, SignatureFunction signature) {
    std::vector<std::string> expected;
    for (const BaseText* entry = table; entry->index < members; ++entry) {
        const BaseText& reference = table[entry->reference];
        expected.push_back(reference.signature[0] == '!' ? std::string("!") : SignatureOf(reference.text, signature));
    }
    return expected;
}

CheckedTexts CheckMembers(void* texts, std::size_t members, const BaseText* table,
                          const std::vector<std::string>& expected, const char* const* names,
                          std::size_t namePieces, SignatureFunction signature,
                          const std::function<std::shared_ptr<const void>(void* out)>& baseTexts) {
    CheckedTexts checked;
    Names allNames(names, namePieces);
    std::vector<std::size_t> added;  // members without directives in the base that have some here
    std::size_t next = 0;            // the table's entry of the next member that has one
    for (std::size_t i = 0; i < members; ++i) {
        const wchar_t* text = Member(texts, i);
        if (table[next].index != i) {
            if (std::wcschr(text, L'%') != nullptr && !signature(text).empty()) added.push_back(i);
            continue;
        }
        const BaseText& entry = table[next];
        const std::string& wanted = expected[next++];
        if (wanted == "!") continue;  // the base's text is no format: never formatted
        const std::string actual = SignatureOf(text, signature);
        if (actual == wanted || (entry.mayOmitCount && !wanted.empty() && actual == WithoutLast(wanted))) continue;
        SetMember(texts, i, entry.text);
        checked.problems.push_back(std::string(entry.name) + ": its directives take " + Shown(actual) +
                                   ", the base's text's take " + Shown(wanted) + ": the base's text is shown");
    }
    if (added.empty()) return checked;

    std::vector<const wchar_t*> base(members, nullptr);
    checked.base = baseTexts(base.data());
    for (const std::size_t i : added) {
        const std::string actual = Shown(signature(Member(texts, i)));
        const wchar_t* replacement = checked.base ? base[i] : nullptr;
        if (replacement != nullptr && SignatureOf(replacement, signature).empty()) {
            SetMember(texts, i, replacement);
            checked.problems.push_back(allNames.At(i) + ": its directives take " + actual +
                                       ", the base's text's take none: the base's text is shown");
        } else {
            SetMember(texts, i, L"");
            checked.problems.push_back(allNames.At(i) + ": its directives take " + actual +
                                       ", the base's text's take none, and no base text is at hand: it is left empty");
        }
    }
    return checked;
}

}  // namespace textresgen::detail
