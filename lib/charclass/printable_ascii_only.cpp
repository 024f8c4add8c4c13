// IsUnprintable for a build without the Unicode data (the generator alone,
// TEXTRESGEN_GENERATOR_ONLY): every character outside printable ASCII counts
// as unprintable, so a message escapes more than it must but never lets a
// control or an invisible character through. The other classes are the
// companion tools' and are not built here: a use of them fails to link.
#include "charclass/character_classes.h"

namespace textresgen::charclass {

bool IsUnprintable(char32_t c) { return c < 0x20 || c > 0x7E; }

}  // namespace textresgen::charclass
