#pragma once

#include <string>
#include <vector>

namespace textresgen {

// The program's arguments after its name, in UTF-8, as the user typed them.
// On Windows main() receives them converted to the ANSI code page, where a
// name like "日本語.txt" or "café.txt" becomes "???.txt" or "cafe.txt"; so
// there they are read from the wide command line (GetCommandLineW, split by
// CommandLineToArgvW as the C runtime splits it) and converted to UTF-8,
// which the file layer turns back into UTF-16 unchanged. Elsewhere they are
// argv's bytes as they are.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace textresgen
