#include "cli/input_file.h"

#include "cli/file_problem_words.h"
#include "text/file_problem.h"

namespace textresgen::cli {

std::unique_ptr<ByteSource> OpenInput(const std::string& path, std::string& problem, std::uint64_t limit) {
    if (NamesDevice(path)) {
        problem = kNamesDevice;
        return nullptr;
    }
    std::uint64_t size = 0;
    std::unique_ptr<ByteSource> source = OpenRegularFileSource(path.c_str(), limit, size);
    if (!source) {
        const FileProblem why = LastFileProblem();
        problem = why == FileProblem::TooLarge ? TooLarge(size, limit) : CannotOpen(why);
    }
    return source;
}

}  // namespace textresgen::cli
