// CLDR's plural rules as the companion tools need them.
// The run-time library is header-only: the code lives in the installed
// header <textresgen/detail/plural_rules.h>. This path stays for the companion tools.
#pragma once

#include <textresgen/detail/plural_rules.h>
