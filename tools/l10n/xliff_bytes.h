#pragma once

#include <string_view>

#include "l10n/exchange_unit.h"

namespace textresl10n::xliff {

// What pugixml leaves to its user, checked before a document is parsed:
// the bytes are UTF-8 holding only characters XML allows, every character
// reference names such a character, and every entity reference is one of
// XML's five (no DTD is read, so no other is declared). Comments, CDATA
// sections and processing instructions hold no references: an '&' there is
// a character. False with the line of the first problem.
bool CheckBytes(std::string_view bytes, ExchangeProblem& problem);

}  // namespace textresl10n::xliff
