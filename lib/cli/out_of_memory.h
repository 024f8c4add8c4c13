#pragma once

#include <new>
#include <stdexcept>

#include "cli/exit_status.h"

// How every program ends when memory runs out: one line on standard error,
// "PROGRAM: out of memory", and one status, never an abort.
namespace textresgen::cli {

// Writes that line ("... out of memory (definition too large)" when
// `pastLimits`: a size past what a string or vector can hold) without
// allocating; returns `status`.
int ReportOutOfMemory(const char* program, bool pastLimits, int status);

// What `main` returns: body(), or the out-of-memory line and `status` when
// memory runs out anywhere in it (std::bad_alloc, std::length_error).
template <typename Body>
int RunWithinMemory(const char* program, Body&& body, int status = kExitOutOfMemory) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(program, false, status);
    } catch (const std::length_error&) {
        return ReportOutOfMemory(program, true, status);
    }
}

}  // namespace textresgen::cli
