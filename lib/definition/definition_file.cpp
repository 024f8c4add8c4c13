#include "definition/definition_file.h"

namespace textresgen {

// Passes reads through and notes what the first of them showed.
class DefinitionFileReader::ProbingSource final : public ByteSource {
public:
    ProbingSource(std::unique_ptr<ByteSource> inner, Probe& probe)
        : inner_(std::move(inner)), probe_(probe) {}

    Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) override {
        const Status status = inner_->Read(buffer, capacity, count);
        if (status == Status::Error) probe_.readError = true;
        for (std::size_t i = 0; status == Status::Data && i < count && probe_.headCount < 2; ++i)
            probe_.head[probe_.headCount++] = buffer[i];
        return status;
    }

private:
    std::unique_ptr<ByteSource> inner_;
    Probe& probe_;
};

std::string DefinitionFileReader::WhyRefused(const Probe& probe) {
    if (!probe.opened && probe.problem == FileProblem::InUse)
        return "cannot be opened: another program has it open and does not share it (close it there)";
    if (!probe.opened) return "cannot be opened: it is missing or not accessible";
    if (probe.readError) return "cannot be read: it is a folder, or reading it failed";
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
    refused_ = !probe_.opened || !reader_.Open(std::make_unique<ProbingSource>(std::move(source), probe_));
    return !refused_;
}

bool DefinitionFileReader::Next(NumberedLine& line) {
    if (refused_ || !reader_.ReadLine(line.line)) return false;
    line.number = ++lines_;
    line.definition = SplitDefinitionLine(line.line);
    return true;
}

std::string DefinitionFileReader::Problem() const {
    if (refused_) return WhyRefused(probe_);
    if (reader_.ReadFailed()) return "reading failed after line " + std::to_string(lines_);
    return {};
}

}  // namespace textresgen
