// Typed messages: each member whose base text takes printf arguments is a
// constant of a type of its own, which knows the member's place in the
// structure and the C++ type of each argument, so that
//
//   texts->Format(textresgen::msg::Status::Saved, 3, "notes.txt")
//
// compiles only with as many arguments as the base's text takes, each of
// the type its directive reads. textresgen-layout writes the constants, the
// base's texts and their names into textresouce_messages.h, which
// textresouce_layout.h includes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include <textresgen/plural.h>

namespace textresgen {

// The base's texts of a layout, for the check at load (Catalog::Load):
// textresouce_messages.h specialises it for TextResource with
//   static constexpr std::size_t kMembers;          members of the structure
//   static constexpr detail::BaseText kTexts[];     the members whose base text holds a directive,
//                                                   by index, then one entry with index kMembers
//   static constexpr const char* kNames[];          every member's dotted name, each followed by
//                                                   '\0', in pieces of whole names
template <class Texts>
struct BaseTextsOf;

// The structure of the same nesting with `const char*` (UTF-8) members:
// textresouce_messages.h specialises it for TextResource.
template <class Texts>
struct Utf8Of;

namespace detail {

// One member of the base that the load check compares by its directives.
struct BaseText {
    std::size_t index;      // its place among the structure's members, from 0
    const char* name;       // dotted, UTF-8: "Status.Saved", "Files.Deleted.one"
    const char* signature;  // what its directives take, as textresgen-layout read them; '!' first: the
                            // base's text is no valid format and is not compared
    const wchar_t* text;    // the base's text
    std::size_t reference;  // the entry (in kTexts) whose arguments this member must take: its own,
                            // or for a form of a plural message the message's `other`
    bool mayOmitCount;      // a form of a plural message, which may leave out the count (the last argument)
};

// A member left out of a plural message (the group does not have its category).
inline constexpr std::size_t kNoForm = static_cast<std::size_t>(-1);

// The members a message is formatted from: one, or a plural message's forms
// in CLDR's order (zero one two few many other; kNoForm for a missing one).
template <std::size_t... Index>
struct Forms {};

// Stands in for the argument of %c: an int that holds a character. A `char`
// or an `int` is taken.
struct CharacterCode {};

// The argument types a message takes, and where its count is (an argument
// position from 0; kNoForm for a message that is no plural message).
// textresouce_messages.h derives one struct per message from it:
//   struct Saved : ::textresgen::detail::Message<::TextResource, Forms<3>, kNoForm, int, const char*> {};
template <class Texts, class MemberForms, std::size_t Count, class... Params>
struct Message {
    using TextsType = Texts;
    using FormsType = MemberForms;
    static constexpr std::size_t kCount = Count;
    static constexpr std::size_t kArguments = sizeof...(Params);
};

// What an argument of type A does to a directive that takes P.
enum class Fit {
    Yes,
    OtherInteger,   // an integer of another type: %ld takes long, not int
    NoInteger,      // the directive takes an integer
    NoFloating,     // the directive takes a floating-point number
    NoCharacter,    // %c takes a char (or an int), %lc a wchar_t
    NarrowForWide,  // %ls takes a wide string
    WideForNarrow,  // %s takes a UTF-8 string
    NoString,       // %s or %ls takes a string
    NoPointer,      // %p takes a pointer
};

template <class A>
inline constexpr bool kIsNarrowString =
    std::is_same_v<A, const char*> || std::is_same_v<A, char*> || std::is_same_v<A, std::string> ||
    std::is_same_v<A, std::string_view>;
template <class A>
inline constexpr bool kIsWideString =
    std::is_same_v<A, const wchar_t*> || std::is_same_v<A, wchar_t*> || std::is_same_v<A, std::wstring> ||
    std::is_same_v<A, std::wstring_view>;
template <class A>
inline constexpr bool kIsInteger = std::is_integral_v<A> && !std::is_same_v<A, bool>;

// A: the argument's type, decayed (a string literal is a pointer).
template <class P, class A>
constexpr Fit FitOf() {
    if constexpr (std::is_same_v<P, const char*>) {
        if constexpr (kIsNarrowString<A>) return Fit::Yes;
        else if constexpr (kIsWideString<A>) return Fit::WideForNarrow;
        else return Fit::NoString;
    } else if constexpr (std::is_same_v<P, const wchar_t*>) {
        if constexpr (kIsWideString<A>) return Fit::Yes;
        else if constexpr (kIsNarrowString<A>) return Fit::NarrowForWide;
        else return Fit::NoString;
    } else if constexpr (std::is_same_v<P, const void*>) {
        if constexpr (std::is_pointer_v<A> || std::is_null_pointer_v<A>) return Fit::Yes;
        else return Fit::NoPointer;
    } else if constexpr (std::is_same_v<P, CharacterCode>) {
        return std::is_same_v<A, char> || std::is_same_v<A, int> ? Fit::Yes : Fit::NoCharacter;
    } else if constexpr (std::is_same_v<P, wchar_t>) {
        return std::is_same_v<A, wchar_t> ? Fit::Yes : Fit::NoCharacter;
    } else if constexpr (std::is_floating_point_v<P>) {
        // float is promoted to double as printf's own arguments are.
        if constexpr (std::is_same_v<P, A> || (std::is_same_v<P, double> && std::is_same_v<A, float>))
            return Fit::Yes;
        else return Fit::NoFloating;
    } else {
        static_assert(kIsInteger<P>, "a message's argument type is a string, a pointer, a character, a number");
        if constexpr (std::is_same_v<P, A>) return Fit::Yes;
        else if constexpr (kIsInteger<A>) return Fit::OtherInteger;
        else return Fit::NoInteger;
    }
}

// The check of argument `Position` (from 1) of `TheMessage`: its type
// appears in the compiler's output with the assertion that fails.
template <class TheMessage, std::size_t Position, class Param, class Arg>
constexpr bool ArgumentFits() {
    constexpr Fit fit = FitOf<Param, std::decay_t<Arg>>();
    static_assert(fit != Fit::OtherInteger,
                  "textresgen: an argument is an integer of another type than its directive takes (%d int, "
                  "%ld long, %lld long long, %u unsigned, %zu std::size_t): integers are not converted, cast it");
    static_assert(fit != Fit::NoInteger, "textresgen: an argument is no integer, but its directive takes one");
    static_assert(fit != Fit::NoFloating,
                  "textresgen: an argument is no floating-point number of the type its directive takes "
                  "(%f double or float, %Lf long double)");
    static_assert(fit != Fit::NoCharacter,
                  "textresgen: an argument is not the character its directive takes (%c char or int, %lc wchar_t)");
    static_assert(fit != Fit::NarrowForWide,
                  "textresgen: a %ls directive takes a wide string (const wchar_t*, std::wstring), not a narrow one");
    static_assert(fit != Fit::WideForNarrow,
                  "textresgen: a %s directive takes a UTF-8 string (const char*, std::string), not a wide one: "
                  "the base text says %s, not %ls");
    static_assert(fit != Fit::NoString, "textresgen: an argument is no string, but its directive takes one");
    static_assert(fit != Fit::NoPointer, "textresgen: a %p directive takes a pointer");
    return fit == Fit::Yes;
}

template <class... T>
struct TypeList {};

template <class TheMessage, class Texts, class MemberForms, std::size_t Count, class... Params, class... Args,
          std::size_t... I>
constexpr bool EachArgumentFits(const Message<Texts, MemberForms, Count, Params...>*, TypeList<Args...>,
                                std::index_sequence<I...>) {
    return (true && ... && ArgumentFits<TheMessage, I + 1, Params, Args>());
}

// Every check of a call: the message belongs to these texts, the number of
// arguments, each argument's type. Instantiated with the message's own type.
template <class Texts, class TheMessage, class... Args>
constexpr bool CallFits() {
    static_assert(std::is_same_v<typename TheMessage::TextsType, Texts>,
                  "textresgen: the message is one of another TextResource than these texts");
    static_assert(sizeof...(Args) == TheMessage::kArguments,
                  "textresgen: the message takes another number of arguments than are given: as many as the "
                  "directives of its base text take (the message's type names it; its text is in "
                  "textresouce_messages.h)");
    if constexpr (std::is_same_v<typename TheMessage::TextsType, Texts> && sizeof...(Args) == TheMessage::kArguments)
        return EachArgumentFits<TheMessage>(static_cast<const TheMessage*>(nullptr), TypeList<Args...>(),
                                            std::index_sequence_for<Args...>());
    else
        return false;
}

// An argument as the formatting takes it: a character code as int, a
// pointer as const void*, a float as double, a string literal as a pointer;
// the rest as it is (the checks above let only the directive's type through).
template <class P, class A>
decltype(auto) Passed(const A& arg) {
    if constexpr (std::is_same_v<P, CharacterCode>) return static_cast<int>(arg);
    else if constexpr (std::is_same_v<P, const void*>) return static_cast<const void*>(arg);
    else if constexpr (std::is_floating_point_v<P>) return static_cast<P>(arg);
    else if constexpr (std::is_array_v<A>) return static_cast<const std::remove_extent_t<A>*>(arg);
    else return (arg);
}

template <class TheMessage, class Texts, class MemberForms, std::size_t Count, class... Params, class Call,
          class... Args>
decltype(auto) CallWithPassed(const Message<Texts, MemberForms, Count, Params...>*, Call&& call, const Args&... args) {
    return call(Passed<Params>(args)...);
}

// The member at `index` of a structure of `const wchar_t*` members.
inline const wchar_t* MemberAt(const void* texts, std::size_t index) {
    const wchar_t* member = nullptr;
    std::memcpy(&member, static_cast<const unsigned char*>(texts) + index * sizeof member, sizeof member);
    return member;
}

// The magnitude of a count, whichever integer type it has.
template <class N>
std::uint64_t CountOf(N n) {
    if constexpr (std::is_signed_v<N>)
        return n < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    else
        return static_cast<std::uint64_t>(n);
}

template <std::size_t Index>
const wchar_t* TextOfForms(const void* texts, std::string_view, std::uint64_t, Forms<Index>) {
    return MemberAt(texts, Index);
}

// A plural message: the form of the count's category in `language`, its
// `other` when the group has no member of that category.
template <std::size_t Zero, std::size_t One, std::size_t Two, std::size_t Few, std::size_t Many, std::size_t Other>
const wchar_t* TextOfForms(const void* texts, std::string_view language, std::uint64_t count,
                           Forms<Zero, One, Two, Few, Many, Other>) {
    const std::size_t forms[] = {Zero, One, Two, Few, Many};
    const char* const names[] = {"zero", "one", "two", "few", "many"};
    const std::string_view category = PluralCategory(language, count);
    for (std::size_t i = 0; i < 5; ++i)
        if (category == names[i] && forms[i] != kNoForm) return MemberAt(texts, forms[i]);
    return MemberAt(texts, Other);
}

// The text `TheMessage` is formatted from, in `texts` (a structure of
// `language`), picked by its count when it is a plural message.
template <class TheMessage, class... Args>
const wchar_t* TextOf(const void* texts, std::string_view language, const Args&... args) {
    std::uint64_t count = 0;
    if constexpr (TheMessage::kCount != kNoForm) {
        const auto all = std::forward_as_tuple(args...);
        count = CountOf(std::get<TheMessage::kCount>(all));
    }
    return TextOfForms(texts, language, count, typename TheMessage::FormsType());
}

}  // namespace detail
}  // namespace textresgen
