// Languages as gettext and POSIX locales spell them: "pt_BR", "sr@latin".
// BCP 47 spells the same languages "pt-BR", "sr-Latn". Internal to
// textresgen: the run-time library reads locale names with it, the
// companion tools their command lines.
#pragma once

#include <string>
#include <string_view>

namespace textresgen {

// The character of a BCP 47 tag that `c` of a gettext name stands for:
// gettext joins subtags with '_', BCP 47 with '-'.
constexpr char TagCharacter(char c) { return c == '_' ? '-' : c; }

// The BCP 47 tag of a language as a PO file's Language header and the
// names of translation files give it, ll[_CC][@modifier]: "pt_BR" -> "pt-BR",
// "sr@latin" -> "sr-Latn", "sr_RS@cyrillic" -> "sr-Cyrl-RS". A modifier
// other than latin and cyrillic names no part of a tag and is dropped
// ("ca@valencia" -> "ca"). A tag already in BCP 47's spelling comes back as
// it is. Empty when the result is no well-formed tag (IsLanguageTag).
std::string LanguageTagOfGettextName(std::string_view name);

}  // namespace textresgen
