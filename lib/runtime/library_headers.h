// The headers of a candidate language library, read before the loader sees it.
// The run-time library is header-only: the code lives in the installed
// header <textresgen/detail/library_headers.h>. This path stays for the companion tools.
#pragma once

#include <textresgen/detail/library_headers.h>
