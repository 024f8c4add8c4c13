// textresgen-utf8 INPUT OUTPUT: writes the UTF-8 form of a generated UTF-16LE
// file, for compilers that read only UTF-8 and for host code that includes
// the generated header. Exit status 0 on success, 1 with a message when a
// file fails, 2 when the command line is wrong, 3 out of memory.
#include <string>

#include "cli/tool_main.h"
#include "utf8/utf8_file.h"

namespace {

const textresgen::cli::Tool kTool = {
    "textresgen-utf8",
    "usage: textresgen-utf8 INPUT OUTPUT\n"
    "\n"
    "Writes OUTPUT, the UTF-8 form (with the UTF-8 mark) of INPUT, a UTF-16LE file\n"
    "written by textresgen, for compilers that read only UTF-8. OUTPUT is replaced;\n"
    "nothing is left of it when INPUT has an unpaired surrogate or an odd last byte.\n",
    "",
    "Exit status: 0 converted, 1 a file could not be read, written or converted,\n"
    "2 the command line is wrong, 3 out of memory.\n"};

}  // namespace

int main(int argc, char** argv) {
    namespace cli = textresgen::cli;
    return cli::RunToolMain(kTool, argc, argv, 2, "expects two files, INPUT and OUTPUT", [](const auto& files) {
        return cli::ExitAfter(textresgen::WriteUtf8File(files[0], files[1]));
    });
}
