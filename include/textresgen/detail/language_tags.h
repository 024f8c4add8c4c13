// Language tags: their shape (BCP 47), gettext's and POSIX locales' names
// for them, the environment's preferences as gettext reads them, and RFC
// 4647 lookup.
#pragma once
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <textresgen/runtime.h>

#include <textresgen/detail/gettext_language.h>

namespace textresgen {
namespace language_tags_impl {

inline constexpr std::size_t kLongestTag = 64;

inline bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool All(std::string_view s, bool (*test)(char)) { return std::all_of(s.begin(), s.end(), test); }
inline bool IsAlnum(char c) { return IsAlpha(c) || IsDigit(c); }
inline bool Alpha(std::string_view s, std::size_t low, std::size_t high) {
    return s.size() >= low && s.size() <= high && All(s, IsAlpha);
}
inline bool Alnum(std::string_view s, std::size_t low, std::size_t high) {
    return s.size() >= low && s.size() <= high && All(s, IsAlnum);
}

inline std::vector<std::string_view> Subtags(std::string_view tag) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dash = tag.find('-', start);
        parts.push_back(tag.substr(start, dash == std::string_view::npos ? std::string_view::npos : dash - start));
        if (dash == std::string_view::npos) return parts;
        start = dash + 1;
    }
}

inline bool IsPrivateUse(const std::vector<std::string_view>& parts, std::size_t i) {
    if (i >= parts.size() || parts[i].size() != 1 || Lower(parts[i][0]) != 'x' || i + 1 == parts.size()) return false;
    for (++i; i < parts.size(); ++i)
        if (!Alnum(parts[i], 1, 8)) return false;
    return true;
}

inline bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

inline bool IsCLocale(std::string_view locale) {
    return locale == "C" || locale == "POSIX" || locale.substr(0, 2) == "C." || locale.substr(0, 2) == "C@";
}

inline void AddOnce(std::vector<std::string>& tags, std::string tag) {
    if (tag.empty()) return;
    for (const std::string& known : tags)
        if (EqualIgnoringCase(known, tag)) return;
    tags.push_back(std::move(tag));
}

}  // namespace language_tags_impl
using namespace language_tags_impl;

inline bool IsLanguageTag(std::string_view tag) {
    if (tag.empty() || tag.size() > kLongestTag) return false;
    const std::vector<std::string_view> parts = Subtags(tag);
    if (IsPrivateUse(parts, 0)) return true;
    std::size_t i = 0;
    // language, with up to three extended language subtags after two or three letters
    if (!Alpha(parts[i], 2, 8)) return false;
    const bool shortLanguage = parts[i].size() <= 3;
    ++i;
    for (int ext = 0; shortLanguage && ext < 3 && i < parts.size() && Alpha(parts[i], 3, 3); ++ext) ++i;
    if (i < parts.size() && Alpha(parts[i], 4, 4)) ++i;  // script
    if (i < parts.size() && (Alpha(parts[i], 2, 2) || (parts[i].size() == 3 && All(parts[i], IsDigit)))) ++i;  // region
    while (i < parts.size() &&  // variants
           (Alnum(parts[i], 5, 8) || (parts[i].size() == 4 && IsDigit(parts[i][0]) && All(parts[i], IsAlnum))))
        ++i;
    while (i < parts.size() && parts[i].size() == 1 && IsAlnum(parts[i][0]) && Lower(parts[i][0]) != 'x') {  // extensions
        std::size_t j = i + 1;
        while (j < parts.size() && Alnum(parts[j], 2, 8)) ++j;
        if (j == i + 1) return false;
        i = j;
    }
    return i == parts.size() || IsPrivateUse(parts, i);
}

inline std::string LanguageTagOfGettextName(std::string_view name) {
    std::string_view modifier;
    if (const std::size_t at = name.find('@'); at != std::string_view::npos) {
        modifier = name.substr(at + 1);
        name = name.substr(0, at);
    }
    std::string tag(name);
    std::transform(tag.begin(), tag.end(), tag.begin(), TagCharacter);
    // The two modifiers that name a script; the others (euro, valencia, ...)
    // are no part of a tag.
    const char* script = EqualIgnoringCase(modifier, "latin") ? "Latn" : EqualIgnoringCase(modifier, "cyrillic") ? "Cyrl" : nullptr;
    if (script != nullptr) {
        const std::size_t dash = tag.find('-');
        tag.insert(dash == std::string::npos ? tag.size() : dash, std::string("-") + script);
    }
    return IsLanguageTag(tag) ? tag : "";
}

inline std::string LanguageTagOfLocale(std::string_view locale) {
    if (locale.empty() || IsCLocale(locale)) return "";
    // The code set sits between the name and the modifier: de_AT.UTF-8@euro.
    const std::size_t at = (std::min)(locale.find('@'), locale.size());
    const std::string_view name = locale.substr(0, at);
    return LanguageTagOfGettextName(std::string(name.substr(0, name.find('.'))).append(locale.substr(at)));
}

inline std::vector<std::string> LanguagesFromEnvironment(const std::function<const char*(const char* name)>& variable) {
    std::string_view locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = variable(name);
        if (value != nullptr && *value != '\0') {
            locale = value;
            break;
        }
    }
    std::vector<std::string> tags;
    if (locale.empty() || IsCLocale(locale)) return tags;
    if (const char* language = variable("LANGUAGE"); language != nullptr) {
        std::string_view list(language);
        while (!list.empty()) {
            const std::size_t colon = list.find(':');
            AddOnce(tags, LanguageTagOfLocale(list.substr(0, colon)));
            list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        }
    }
    AddOnce(tags, LanguageTagOfLocale(locale));
    return tags;
}

inline std::string LookupLanguage(const std::vector<std::string>& wanted, const std::vector<std::string>& available,
                           const std::string& fallback) {
    for (const std::string& range : wanted) {
        if (!IsLanguageTag(range)) continue;
        std::string_view prefix(range);
        while (!prefix.empty()) {
            for (const std::string& tag : available)
                if (EqualIgnoringCase(tag, prefix)) return tag;
            std::size_t dash = prefix.rfind('-');
            if (dash == std::string_view::npos) break;
            prefix = prefix.substr(0, dash);
            // A singleton left last goes too: "de-x-foo" -> "de-x" -> "de".
            dash = prefix.rfind('-');
            if (dash != std::string_view::npos && dash + 2 == prefix.size()) prefix = prefix.substr(0, dash);
        }
    }
    return fallback;
}

}  // namespace textresgen
