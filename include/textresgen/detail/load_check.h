// The check at load: a member whose printf directives take other arguments
// than the base's text would make Format (or printf) read its arguments as
// the wrong types, so it gets the base's text instead. Most texts hold no
// '%' at all: they are passed over after one wcschr.
#pragma once
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include <textresgen/runtime.h>

namespace textresgen::detail {
namespace load_check_impl {

inline const wchar_t* Member(const void* texts, std::size_t index) { return MemberAt(texts, index); }

inline void SetMember(void* texts, std::size_t index, const wchar_t* text) {
    std::memcpy(static_cast<unsigned char*>(texts) + index * sizeof text, &text, sizeof text);
}

// The signature of a text that may hold no '%' at all.
inline std::string SignatureOf(const wchar_t* text, SignatureFunction signature) {
    if (std::wcschr(text, L'%') == nullptr) return "";
    return signature(text);
}

// What a text with `signature` is, for people.
inline std::string Described(const std::string& signature) {
    if (signature.empty()) return "takes no arguments";
    if (signature[0] == '!') return "is no valid printf format (or holds %n)";
    return "takes (" + signature + ")";
}

// The signature without its last argument: a form of a plural message may
// leave out the count.
inline std::string WithoutLast(const std::string& signature) {
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

}  // namespace load_check_impl
using namespace load_check_impl;

inline std::vector<std::string> ExpectedSignatures(const BaseText* table, std::size_t members, SignatureFunction signature) {
    std::vector<std::string> expected;
    for (const BaseText* entry = table; entry->index < members; ++entry) {
        const BaseText& reference = table[entry->reference];
        expected.push_back(reference.signature[0] == '!' ? std::string("!") : SignatureOf(reference.text, signature));
    }
    return expected;
}

inline CheckedTexts CheckMembers(void* texts, std::size_t members, const BaseText* table,
                          const std::vector<std::string>& expected, const char* const* names,
                          std::size_t namePieces, SignatureFunction signature,
                          const std::function<std::shared_ptr<const void>(void* out)>& baseTexts) {
    CheckedTexts checked;
    std::vector<std::pair<std::size_t, std::string>> problems;  // by member
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
        problems.emplace_back(i, std::string(entry.name) + ": " + Described(actual) + ", but the base's text " +
                                     Described(wanted) + ": the base's text is shown");
    }
    if (!added.empty()) {
        // Only now is the base's whole structure needed (a library loaded).
        std::vector<const wchar_t*> base(members, nullptr);
        checked.base = baseTexts(base.data());
        Names allNames(names, namePieces);
        for (const std::size_t i : added) {
            const std::string what = allNames.At(i) + ": " + Described(signature(Member(texts, i))) +
                                     ", but the base's text takes no arguments";
            const wchar_t* replacement = checked.base ? base[i] : nullptr;
            const bool usable = replacement != nullptr && SignatureOf(replacement, signature).empty();
            SetMember(texts, i, usable ? replacement : L"");
            problems.emplace_back(i, what + (usable ? ": the base's text is shown"
                                                    : ", and no base text is at hand: it is left empty"));
        }
    }
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& problem : problems) checked.problems.push_back(std::move(problem.second));
    return checked;
}

}  // namespace textresgen::detail
