// Languages as gettext and POSIX locales spell them (LanguageTagOfGettextName,
// defined with the run-time library's language tags).
// The run-time library is header-only: the code lives in the installed
// header <textresgen/detail/gettext_language.h>. This path stays for the companion tools.
#pragma once

#include <textresgen/detail/gettext_language.h>
#include <textresgen/runtime.h>
