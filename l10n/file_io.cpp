#include "l10n/file_io.h"

#include <vector>

#include "text/platform_file.h"

namespace textresl10n {

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    auto source = textresgen::OpenFileSource(path.c_str());
    if (!source) return ReadStatus::Missing;
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
        case ReadStatus::Failed: return "cannot be read: it is a folder, or reading it failed";
        case ReadStatus::TooLarge:
            return "is larger than " + std::to_string(kMaxInputBytes / (1024 * 1024)) + " MiB, more than any exchange file needs";
    }
    return "was read";
}

bool WriteFileReplacing(const std::string& path, std::string_view bytes) {
    const std::string temporary = path + ".textresl10n-tmp";
    auto sink = textresgen::CreateFileSink(temporary.c_str());
    if (!sink) return false;
    if (!sink->Write(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) || !sink->Close()) {
        sink->Discard();
        return false;
    }
    if (!textresgen::RenameOver(temporary.c_str(), path.c_str())) {
        sink->Discard();
        return false;
    }
    return true;
}

}  // namespace textresl10n
