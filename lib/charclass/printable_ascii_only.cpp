// IsUnprintable and IsBidiControl for a build without the Unicode data (the
// generator alone, TEXTRESGEN_GENERATOR_ONLY): every character outside
// printable ASCII counts as unprintable, and every one outside ASCII as a
// bidi control, so a message or a literal escapes more than it must but
// never lets a control, an invisible or a reordering character through
// (textresgen-layout links the literal codec, which asks). The other classes
// are the companion tools' and are not built here: a use of them fails to link.
#include "charclass/character_classes.h"

namespace textresgen::charclass {

bool IsUnprintable(char32_t c) { return c < 0x20 || c > 0x7E; }

bool IsBidiControl(char32_t c) { return c > 0x7F; }

}  // namespace textresgen::charclass
