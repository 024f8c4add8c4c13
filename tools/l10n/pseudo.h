#pragma once

#include "codec/literal_body.h"

namespace textresl10n {

// The pseudo-translation of a text: ASCII letters replaced by accented
// look-alikes, lengthened by about 40 % (short texts by more) with '~', and
// wrapped in '[' ']', so that untranslated, cut or concatenated texts stand
// out in the running application. printf directives (of a text that is a
// valid format) and {n} placeholders are kept as they are, as is every
// character that is not an ASCII letter.
textresgen::LiteralValues PseudoTranslate(textresgen::LiteralValuesView text);

}  // namespace textresl10n
