// textresgen: run in a folder holding TextResouce.txt, writes textresouce.cpp
// and textresouce.h. Arguments are ignored.
#include <cstdio>
#include <new>
#include <stdexcept>

#include "driver/generator.h"

int main() {
    try {
        return textresgen::RunGenerator();
    } catch (const std::bad_alloc&) {
        std::fputs("textresgen: out of memory\n", stderr);
    } catch (const std::length_error&) {
        std::fputs("textresgen: out of memory (definition too large)\n", stderr);
    }
    return 1;
}
