// UTF-8 and wide characters as Format reads and writes them.
// The run-time library is header-only: the code lives in the installed
// header <textresgen/detail/format_unicode.h>. This path stays for the companion tools.
#pragma once

#include <textresgen/detail/format_unicode.h>
