#include "l10n/file_io.h"

#include <vector>

#include "cli/file_problem_words.h"
#include "text/file_problem.h"
#include "text/platform_file.h"

namespace textresl10n {

const std::string kDeviceName = std::string(textresgen::cli::kNamesDevice) + ": use another name";

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    if (textresgen::NamesDevice(path)) return ReadStatus::Device;
    auto source = textresgen::OpenFileSource(path.c_str());
    if (!source) return textresgen::LastFileProblem() == textresgen::FileProblem::InUse ? ReadStatus::InUse
                                                                                         : ReadStatus::Missing;
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
            if (status == textresgen::ByteSource::Status::Error) return ReadStatus::Failed;
            if (status == textresgen::ByteSource::Status::End) {
                more = false;
                break;
            }
            filled += count;
        }
        if (filled > kMaxInputBytes - total) return ReadStatus::TooLarge;
        total += filled;
        chunk.resize(filled);
        if (filled > 0) chunks.push_back(std::move(chunk));
    }
    bytes.reserve(total);
    for (std::vector<unsigned char>& chunk : chunks) {
        bytes.append(reinterpret_cast<const char*>(chunk.data()), chunk.size());
        std::vector<unsigned char>().swap(chunk);
    }
    return ReadStatus::Read;
}

std::string DescribeReadStatus(ReadStatus status) {
    switch (status) {
        case ReadStatus::Read: break;
        case ReadStatus::Missing: return textresgen::cli::CannotOpen(textresgen::FileProblem::Missing);
        case ReadStatus::InUse: return textresgen::cli::CannotOpen(textresgen::FileProblem::InUse);
        case ReadStatus::Device: return kDeviceName;
        case ReadStatus::Failed: return textresgen::cli::kCannotRead;
        case ReadStatus::TooLarge:
            return "is larger than " + std::to_string(kMaxInputBytes / (1024 * 1024)) + " MiB, more than any exchange file needs";
    }
    return "was read";
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

// Asked right after a failure, before other calls set the system's last
// error again.
void ReplacingFile::Fail() {
    status_ = textresgen::LastFileProblem() == textresgen::FileProblem::InUse || textresgen::FileInUse(path_.c_str())
                      ? WriteStatus::InUse
                      : WriteStatus::Failed;
    sink_.reset();  // which removes the temporary file
}

void ReplacingFile::Write(std::string_view bytes) {
    if (sink_ && !sink_->Write(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())) Fail();
}

WriteStatus ReplacingFile::Commit() {
    if (sink_ && (!sink_->Close() || !sink_->Commit())) Fail();
    sink_.reset();
    return status_;
}

WriteStatus WriteFileReplacing(const std::string& path, std::string_view bytes) {
    ReplacingFile file(path);
    file.Write(bytes);
    return file.Commit();
}

}  // namespace textresl10n
