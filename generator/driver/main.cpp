// textresgen: run in a folder holding TextResouce.txt, writes textresouce.cpp
// and textresouce.h. Arguments are ignored.
#include <csignal>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "driver/generator.h"

int main() {
#ifdef SIGXFSZ
    // Past a file size limit (ulimit -f) a write then fails with EFBIG, a
    // write error like any other (ERR!, the partial output removed), instead
    // of the signal ending the program with a partial file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    try {
        return textresgen::RunGenerator();
    } catch (const std::bad_alloc&) {
        std::fputs("textresgen: out of memory\n", stderr);
    } catch (const std::length_error&) {
        std::fputs("textresgen: out of memory (definition too large)\n", stderr);
    }
    return 1;
}
