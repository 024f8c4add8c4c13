// The grammar of printf directives.
// The run-time library is header-only: the code lives in the installed
// header <textresgen/detail/printf_directive.h>. This path stays for the companion tools.
#pragma once

#include <textresgen/detail/printf_directive.h>
