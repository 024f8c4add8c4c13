#include "cli/file_problem_words.h"

namespace textresgen::cli {
namespace {

constexpr const char* kInUse = "another program has it open and does not share it (close it there)";

}  // namespace

std::string CannotOpen(FileProblem problem) {
    return std::string("cannot be opened: ") + (problem == FileProblem::InUse ? kInUse : "it is missing or not accessible");
}

std::string CannotReplace(FileProblem problem) {
    if (problem == FileProblem::InUse) return std::string("cannot be replaced: ") + kInUse;
    return "cannot be written (the folder is missing or not writable, the file is read-only or not a regular file, "
           "or the disk is full)";
}

}  // namespace textresgen::cli
