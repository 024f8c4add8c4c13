#include "definition/definition_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "text/eight_bit_text.h"
#include "text/utf8_decoder.h"

namespace textresgen {

// Passes reads through and notes what the first of them showed. The first
// bytes are read ahead (Sniff) to judge the encoding, then passed on.
class DefinitionFileReader::ProbingSource final : public ByteSource {
public:
    ProbingSource(std::unique_ptr<ByteSource> inner, Probe& probe)
        : inner_(std::move(inner)), probe_(probe) {}

    // Reads up to kEncodingSniffBytes ahead; false on a read error at the
    // first byte. A later one comes when the bytes before it are passed on,
    // so that the lines before it are read as before.
    bool Sniff() {
        ahead_.resize(kEncodingSniffBytes);
        std::size_t filled = 0;
        while (filled < ahead_.size() && !ended_) {
            std::size_t count = 0;
            const Status status = inner_->Read(ahead_.data() + filled, ahead_.size() - filled, count);
            if (status == Status::Error) {
                if (filled == 0) {
                    probe_.readError = true;
                    return false;
                }
                failed_ = true;
                break;
            }
            if (status == Status::End) ended_ = true;
            else filled += count;
        }
        ahead_.resize(filled);
        for (std::size_t i = 0; i < filled && probe_.headCount < 2; ++i) probe_.head[probe_.headCount++] = ahead_[i];
        probe_.eightBit = LooksLikeEightBitText(ahead_.data(), ahead_.size());
        probe_.utf8 = LeadingMarkOf(ahead_.data(), ahead_.size()) == LeadingMark::Utf8;
        return true;
    }

    Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) override {
        const Status status = ReadOn(buffer, capacity, count);
        if (probe_.utf8 && status == Status::Data) probe_.malformed.Feed(buffer, count);
        if (probe_.utf8 && status == Status::End) probe_.malformed.End();
        return status;
    }

private:
    Status ReadOn(unsigned char* buffer, std::size_t capacity, std::size_t& count) {
        if (next_ < ahead_.size()) {
            count = std::min(capacity, ahead_.size() - next_);
            std::memcpy(buffer, ahead_.data() + next_, count);
            next_ += count;
            return Status::Data;
        }
        if (failed_) {
            probe_.readError = true;
            return Status::Error;
        }
        if (ended_) {
            count = 0;
            return Status::End;
        }
        const Status status = inner_->Read(buffer, capacity, count);
        if (status == Status::Error) probe_.readError = true;
        return status;
    }


    std::unique_ptr<ByteSource> inner_;
    Probe& probe_;
    std::vector<unsigned char> ahead_;
    std::size_t next_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

void DefinitionFileReader::MalformedLines::Scan(const unsigned char* bytes, std::size_t count, bool final) {
    std::string data;
    data.reserve(carry_.size() + count);
    data.append(carry_).append(reinterpret_cast<const char*>(bytes), count);
    carry_.clear();
    for (std::size_t i = 0; i < data.size();) {
        const unsigned char b = static_cast<unsigned char>(data[i]);
        if (b < 0x80) {
            line_ += b == '\n';
            ++i;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = DecodeUtf8Step(data, i, c);
        if (length > 0) {
            i += length;
            continue;
        }
        // Fewer than four bytes left may be a sequence the next bytes complete.
        if (!final && data.size() - i < 4) {
            carry_.assign(data, i, std::string::npos);
            return;
        }
        if (lines_.empty() || lines_.back() != line_) lines_.push_back(line_);
        ++i;
    }
}

bool DefinitionFileReader::MalformedLines::Holds(std::size_t number) {
    while (!lines_.empty() && lines_.front() < number) lines_.pop_front();
    return !lines_.empty() && lines_.front() == number;
}

std::string DefinitionFileReader::WhyRefused(const Probe& probe) {
    if (!probe.opened && probe.problem == FileProblem::InUse)
        return "cannot be opened: another program has it open and does not share it (close it there)";
    if (!probe.opened) return "cannot be opened: it is missing or not accessible";
    if (probe.readError) return "cannot be read: it is a folder, or reading it failed";
    if (probe.eightBit) return "looks like UTF-8 without the mark EF BB BF; save it with the mark or as UTF-16";
    if (LeadingMarkOf(probe.head, probe.headCount) == LeadingMark::BigEndian)
        return "starts with the UTF-16 big-endian mark FE FF, which the generator refuses: "
               "save it as UTF-16LE, or as UTF-8 with its mark";
    return "cannot be read";
}

bool DefinitionFileReader::Open(std::unique_ptr<ByteSource> source, FileProblem problem) {
    probe_ = Probe{};
    probe_.opened = source != nullptr;
    probe_.problem = problem;
    lines_ = 0;
    if (!probe_.opened) {
        refused_ = true;
        return false;
    }
    auto probing = std::make_unique<ProbingSource>(std::move(source), probe_);
    refused_ = !probing->Sniff() || probe_.eightBit || !reader_.Open(std::move(probing));
    return !refused_;
}

bool DefinitionFileReader::Next(NumberedLine& line) {
    if (refused_ || !reader_.ReadLine(line.line)) return false;
    line.number = ++lines_;
    line.definition = SplitDefinitionLine(line.line);
    line.malformedUtf8 = probe_.utf8 && probe_.malformed.Holds(line.number);
    return true;
}

std::string DefinitionFileReader::Problem() const {
    if (refused_) return WhyRefused(probe_);
    if (reader_.ReadFailed()) return "reading failed after line " + std::to_string(lines_);
    return {};
}

}  // namespace textresgen
