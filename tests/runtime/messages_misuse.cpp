// Calls of Format that must not compile (CompileFails.cmake, one CASE each).
#include <string>

#include <textresgen/runtime.h>
#include "textresouce_layout.h"

std::wstring Misuse(const textresgen::Loaded<TextResource>& texts) {
#if defined(WRONG_TYPE)
    return texts.Format(textresgen::msg::Status::Saved, 3L, "notes.txt");  // %d takes int, not long
#elif defined(WRONG_COUNT)
    return texts.Format(textresgen::msg::Files::Deleted, "/tmp");  // the count is missing
#elif defined(WIDE_FOR_NARROW)
    return texts.Format(textresgen::msg::Status::Sizes, std::size_t{1}, "folder", 2LL);  // %ls takes a wide string
#else
    return texts.Format(textresgen::msg::Status::Saved, 3, "notes.txt");
#endif
}
