#pragma once

#include <cstdint>
#include <string>

#include "text/file_problem.h"

// How the companion programs word a file they cannot use, after
// "FILE: error: " (cli/diagnostic.h), so that a file problem reads the same
// whichever program meets it. A caller may add what it did about it
// ("; it is left as it was").
namespace textresgen::cli {

// The path names a device of Windows (NamesDevice): refused before it is opened.
inline constexpr const char* kNamesDevice =
    "names a device of Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension), not a file";

// Reading a file that was opened failed.
inline constexpr const char* kCannotRead = "cannot be read: it is a folder, or reading it failed";

// Opening a file to read it failed with `problem` (LastFileProblem()).
std::string CannotOpen(FileProblem problem);

// An input of `size` bytes is past the `limit` a program reads of its kind.
std::string TooLarge(std::uint64_t size, std::uint64_t limit);

// Replacing a file failed with `problem`: creating, writing or putting its
// new bytes in place.
std::string CannotReplace(FileProblem problem);

}  // namespace textresgen::cli
