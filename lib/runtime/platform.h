// What the run-time library asks of the system.
// The run-time library is header-only: the code lives in the installed
// header <textresgen/detail/platform.h>. This path stays for the companion tools.
#pragma once

#include <textresgen/detail/platform.h>
