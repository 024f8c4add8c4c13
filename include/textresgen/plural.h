// Plural forms: which of CLDR's plural categories (zero one two few many
// other) a count takes in a language, and the member of a plural group that
// shows it. A plural group is a group of the definitions whose members are
// named after the categories:
//
//   Files.Deleted.one=%d file deleted
//   Files.Deleted.other=%d files deleted
//
//   std::wstring line = textresgen::Format(textresgen::PluralText(texts->Get().Files.Deleted, texts->Language(), n), n);
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>
#include <utility>

namespace textresgen {

// CLDR's cardinal category of the count `n` in `language` ("ru", "pt-PT",
// "sr_Latn"): "one", "few", ... A language without rules of its own takes
// those of the tag shortened subtag by subtag ("sr-Latn-RS", "sr-Latn",
// "sr"), then CLDR's root, where every count is "other". The rules are made
// from CLDR's plurals.xml when the library is built.
std::string_view PluralCategory(std::string_view language, std::uint64_t n);

template <class Texts>
class Loaded;  // runtime.h

namespace detail {

// Whether a plural group has the member of a category: a group completed to
// all six categories has each; a group written by hand may have fewer.
template <class Group, class = void> struct HasZero : std::false_type {};
template <class Group> struct HasZero<Group, std::void_t<decltype(std::declval<Group>().zero)>> : std::true_type {};
template <class Group, class = void> struct HasOne : std::false_type {};
template <class Group> struct HasOne<Group, std::void_t<decltype(std::declval<Group>().one)>> : std::true_type {};
template <class Group, class = void> struct HasTwo : std::false_type {};
template <class Group> struct HasTwo<Group, std::void_t<decltype(std::declval<Group>().two)>> : std::true_type {};
template <class Group, class = void> struct HasFew : std::false_type {};
template <class Group> struct HasFew<Group, std::void_t<decltype(std::declval<Group>().few)>> : std::true_type {};
template <class Group, class = void> struct HasMany : std::false_type {};
template <class Group> struct HasMany<Group, std::void_t<decltype(std::declval<Group>().many)>> : std::true_type {};

}  // namespace detail

// The member of `group` for the count `n` in `language`; `other` when the
// group has no member for the count's category.
template <class Group>
const wchar_t* PluralText(const Group& group, std::string_view language, std::uint64_t n) {
    static_assert(std::is_convertible_v<decltype(group.other), const wchar_t*>,
                  "a plural group has a member 'other'");
    const std::string_view category = PluralCategory(language, n);
    if constexpr (detail::HasZero<Group>::value)
        if (category == "zero") return group.zero;
    if constexpr (detail::HasOne<Group>::value)
        if (category == "one") return group.one;
    if constexpr (detail::HasTwo<Group>::value)
        if (category == "two") return group.two;
    if constexpr (detail::HasFew<Group>::value)
        if (category == "few") return group.few;
    if constexpr (detail::HasMany<Group>::value)
        if (category == "many") return group.many;
    return group.other;
}

// The same in the language of a loaded library:
// PluralText(texts->Get().Files.Deleted, *texts, n).
template <class Group, class Texts>
const wchar_t* PluralText(const Group& group, const Loaded<Texts>& loaded, std::uint64_t n) {
    return PluralText(group, std::string_view(loaded.Language()), n);
}

}  // namespace textresgen

// The code of PluralCategory and CLDR's tables, in headers: the run-time
// library is header-only.
#include <textresgen/detail/plural_rules.h>
