#include "utf8/utf8_file.h"

#include <memory>

#include "cli/file_problem_words.h"
#include "cli/input_file.h"
#include "text/file_problem.h"
#include "text/platform_file.h"
#include "utf8/utf16le_to_utf8.h"

namespace textresgen {
namespace {

bool WriteText(ByteSink& sink, const std::string& text) {
    return sink.Write(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

}  // namespace

std::optional<Utf8FileFailure> WriteUtf8File(const std::string& input, const std::string& output) {
    for (const std::string* path : {&input, &output})
        if (NamesDevice(*path))
            return Utf8FileFailure{*path, cli::kNamesDevice};
    std::string problem;
    const std::unique_ptr<ByteSource> source = cli::OpenInput(input, problem);
    if (!source) return Utf8FileFailure{input, std::move(problem)};
    const std::unique_ptr<ByteSink> sink = CreateReplacingFileSink(output.c_str());
    if (!sink)
        return Utf8FileFailure{output, cli::CannotReplace(LastFileProblem())};

    Utf16LeToUtf8 converter;
    std::string utf8;
    unsigned char buffer[1 << 16];
    for (;;) {
        utf8.clear();
        std::size_t count = 0;
        const ByteSource::Status status = source->Read(buffer, sizeof buffer, count);
        if (status == ByteSource::Status::Error) {
            sink->Discard();
            return Utf8FileFailure{input, cli::kCannotRead};
        }
        const bool converted =
            status == ByteSource::Status::End ? converter.Finish(utf8) : converter.Convert(buffer, count, utf8);
        if (!converted) {
            sink->Discard();
            return Utf8FileFailure{input, "unpaired surrogate or odd last byte at byte " +
                                              std::to_string(converter.ErrorOffset()) + "; it has no UTF-8 form"};
        }
        if (!WriteText(*sink, utf8)) {
            const FileProblem problem = LastFileProblem();  // before Discard sets it again
            sink->Discard();
            return Utf8FileFailure{output, cli::CannotReplace(problem)};
        }
        if (status == ByteSource::Status::End) break;
    }
    if (!sink->Close() || !sink->Commit()) {
        const FileProblem problem = LastFileProblem();
        sink->Discard();
        return Utf8FileFailure{output, cli::CannotReplace(problem)};
    }
    return std::nullopt;
}

}  // namespace textresgen
