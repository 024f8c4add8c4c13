#include "cli/file_problem_words.h"

namespace textresgen::cli {
namespace {

constexpr const char* kInUse = "another program has it open and does not share it (close it there)";

}  // namespace

std::string CannotOpen(FileProblem problem) {
    switch (problem) {
        case FileProblem::InUse: return std::string("cannot be opened: ") + kInUse;
        case FileProblem::NotRegular:
            return "is not a regular file (a folder, a FIFO, a socket or a device): it is refused without being read";
        case FileProblem::IoError: return "cannot be read: an I/O error (the disk or the network failed)";
        default: return "cannot be opened: it is missing or not accessible";
    }
}

std::string TooLarge(std::uint64_t size, std::uint64_t limit) {
    return "is " + std::to_string(size) + " bytes, larger than the " + std::to_string(limit >> 20) +
           " MiB a file of its kind may have: it is not read";
}

std::string CannotReplace(FileProblem problem) {
    switch (problem) {
        case FileProblem::InUse: return std::string("cannot be replaced: ") + kInUse;
        case FileProblem::DiskFull: return "cannot be written: the disk is full (or the disk quota is used up)";
        case FileProblem::IoError: return "cannot be written: an I/O error (the disk or the network failed)";
        case FileProblem::TooLarge: return "cannot be written: the file size limit was reached";
        case FileProblem::Occupied:
            return "cannot be replaced: another file has the temporary name beside it (the name with \".textresgen-tmp\" "
                   "added), which is left as it is; remove it";
        default: break;
    }
    return "cannot be written (the folder is missing or not writable, the file is read-only or not a regular file, "
           "or the disk is full)";
}

}  // namespace textresgen::cli
