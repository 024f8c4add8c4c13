// textrescheck: checks definition files for the textresgen generator and
// reports, line by line, what would break the generated C++. Never writes a
// file. Usage: textrescheck [FILE...] (default: TextResouce.txt).
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "check/check_run.h"
#include "text/console.h"

int main(int argc, char** argv) {
    try {
        std::vector<std::string> paths;
        for (int i = 1; i < argc; ++i) paths.emplace_back(argv[i]);
        return textrescheck::RunCheck(paths, textresgen::WriteStandardOutput);
    } catch (const std::bad_alloc&) {
        std::fputs("textrescheck: out of memory\n", stderr);
    } catch (const std::length_error&) {
        std::fputs("textrescheck: out of memory (definition too large)\n", stderr);
    }
    return 3;  // neither a finding nor a file problem
}
