#include "l10n/file_io.h"

#include <vector>

#include "cli/file_problem_words.h"
#include "cli/input_file.h"
#include "text/file_problem.h"
#include "text/platform_file.h"

namespace textresl10n {

const std::string kDeviceName = std::string(textresgen::cli::kNamesDevice) + ": use another name";

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& problem) {
    bytes.clear();
    const auto source = textresgen::cli::OpenInput(path, problem, kMaxInputBytes);
    if (!source) {
        if (textresgen::NamesDevice(path)) problem = kDeviceName;
        return false;
    }
    // Read in chunks of 1 MiB, then put together at the exact size: a string
    // grown by appending holds up to twice the file, and three times while
    // it moves. Each chunk is freed as soon as it is copied, so the peak
    // stays near the file's size.
    constexpr std::size_t kChunk = 1024 * 1024;
    std::vector<std::vector<unsigned char>> chunks;
    std::size_t total = 0;
    for (bool more = true; more;) {
        std::vector<unsigned char> chunk(kChunk);
        std::size_t filled = 0;
        while (filled < chunk.size()) {
            std::size_t count = 0;
            const auto status = source->Read(chunk.data() + filled, chunk.size() - filled, count);
            if (status == textresgen::ByteSource::Status::Error) {
                problem = textresgen::cli::kCannotRead;
                return false;
            }
            if (status == textresgen::ByteSource::Status::End) {
                more = false;
                break;
            }
            filled += count;
        }
        total += filled;
        chunk.resize(filled);
        if (filled > 0) chunks.push_back(std::move(chunk));
    }
    bytes.reserve(total);
    for (std::vector<unsigned char>& chunk : chunks) {
        bytes.append(reinterpret_cast<const char*>(chunk.data()), chunk.size());
        std::vector<unsigned char>().swap(chunk);
    }
    return true;
}

std::string DescribeWriteStatus(WriteStatus status) {
    using textresgen::FileProblem;
    const char* const kLeft = "; it is left as it was";
    switch (status) {
        case WriteStatus::Written: break;
        case WriteStatus::InUse: return textresgen::cli::CannotReplace(FileProblem::InUse) + kLeft;
        case WriteStatus::Device: return kDeviceName + "; nothing is written";
        case WriteStatus::Failed: return textresgen::cli::CannotReplace(FileProblem::Other) + kLeft;
        case WriteStatus::DiskFull: return textresgen::cli::CannotReplace(FileProblem::DiskFull) + kLeft;
        case WriteStatus::IoError: return textresgen::cli::CannotReplace(FileProblem::IoError) + kLeft;
        case WriteStatus::TooLarge: return textresgen::cli::CannotReplace(FileProblem::TooLarge) + kLeft;
        case WriteStatus::Occupied: return textresgen::cli::CannotReplace(FileProblem::Occupied);
    }
    return "was written";
}

ReplacingFile::ReplacingFile(const std::string& path) : path_(path) {
    // The temporary name starts like the path, so it names the same device.
    if (textresgen::NamesDevice(path)) {
        status_ = WriteStatus::Device;
        return;
    }
    // The generator's replacing sink: a link is followed and stays a link,
    // the replacement keeps the permissions of the file it replaces.
    sink_ = textresgen::CreateReplacingFileSink(path.c_str());
    if (!sink_) Fail();
}

// The problem is taken right after the failure, before other calls set the
// system's last error again. Whether another program holds the file is
// asked only after the sink let it go: while it is held, it is held by us.
void ReplacingFile::Fail() {
    using textresgen::FileProblem;
    const FileProblem problem = textresgen::LastFileProblem();
    sink_.reset();  // which removes the temporary file and lets the old file go
    switch (problem) {
        case FileProblem::DiskFull: status_ = WriteStatus::DiskFull; break;
        case FileProblem::IoError: status_ = WriteStatus::IoError; break;
        case FileProblem::TooLarge: status_ = WriteStatus::TooLarge; break;
        case FileProblem::Occupied: status_ = WriteStatus::Occupied; break;
        default:
            status_ = problem == FileProblem::InUse || textresgen::FileInUse(path_.c_str()) ? WriteStatus::InUse
                                                                                           : WriteStatus::Failed;
    }
}

void ReplacingFile::Write(std::string_view bytes) {
    if (sink_ && !sink_->Write(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())) Fail();
}

WriteStatus ReplacingFile::Commit() {
    if (sink_ && (!sink_->Close() || !sink_->Commit())) Fail();
    sink_.reset();
    return status_;
}

namespace {

class ReplacingFileSink final : public textresgen::ByteSink {
public:
    explicit ReplacingFileSink(ReplacingFile& file) : file_(file) {}
    bool Write(const unsigned char* data, std::size_t size) override {
        file_.Write(std::string_view(reinterpret_cast<const char*>(data), size));
        return true;  // a failure is the file's, told by its Commit
    }
    bool Close() override { return true; }
    void Discard() override {}
    std::unique_ptr<textresgen::ByteSource> WrittenBytes() override { return file_.WrittenBytes(); }

private:
    ReplacingFile& file_;
};

}  // namespace

std::unique_ptr<textresgen::ByteSink> SinkInto(ReplacingFile& file) {
    return std::make_unique<ReplacingFileSink>(file);
}

}  // namespace textresl10n
