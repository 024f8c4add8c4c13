#include "l10n/file_io.h"

#include <vector>

#include "text/file_problem.h"
#include "text/platform_file.h"

namespace textresl10n {

const char* const kDeviceName =
    "names a device of Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension), not a file: "
    "use another name";

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    if (textresgen::NamesDevice(path)) return ReadStatus::Device;
    auto source = textresgen::OpenFileSource(path.c_str());
    if (!source) return textresgen::LastFileProblem() == textresgen::FileProblem::InUse ? ReadStatus::InUse
                                                                                         : ReadStatus::Missing;
    std::vector<unsigned char> buffer(64 * 1024);
    for (;;) {
        std::size_t count = 0;
        switch (source->Read(buffer.data(), buffer.size(), count)) {
            case textresgen::ByteSource::Status::Data:
                if (count > kMaxInputBytes - bytes.size()) return ReadStatus::TooLarge;
                bytes.append(reinterpret_cast<const char*>(buffer.data()), count);
                break;
            case textresgen::ByteSource::Status::End: return ReadStatus::Read;
            case textresgen::ByteSource::Status::Error: return ReadStatus::Failed;
        }
    }
}

std::string DescribeReadStatus(ReadStatus status) {
    switch (status) {
        case ReadStatus::Read: break;
        case ReadStatus::Missing: return "cannot be opened: it is missing or not accessible";
        case ReadStatus::InUse:
            return "cannot be opened: another program has it open and does not share it (close it there)";
        case ReadStatus::Device: return kDeviceName;
        case ReadStatus::Failed: return "cannot be read: it is a folder, or reading it failed";
        case ReadStatus::TooLarge:
            return "is larger than " + std::to_string(kMaxInputBytes / (1024 * 1024)) + " MiB, more than any exchange file needs";
    }
    return "was read";
}

WriteStatus WriteFileReplacing(const std::string& path, std::string_view bytes) {
    // The temporary name starts like the path, so it names the same device.
    if (textresgen::NamesDevice(path)) return WriteStatus::Device;
    // Asked right after a failure, before other calls set the system's last
    // error again.
    const auto failed = [&] {
        return textresgen::LastFileProblem() == textresgen::FileProblem::InUse || textresgen::FileInUse(path.c_str())
                   ? WriteStatus::InUse
                   : WriteStatus::Failed;
    };
    // The generator's replacing sink: a link is followed and stays a link,
    // the replacement keeps the permissions of the file it replaces.
    auto sink = textresgen::CreateReplacingFileSink(path.c_str());
    if (!sink) return failed();
    if (!sink->Write(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) || !sink->Close() ||
        !sink->Commit()) {
        const WriteStatus status = failed();
        sink->Discard();
        return status;
    }
    return WriteStatus::Written;
}

}  // namespace textresl10n
