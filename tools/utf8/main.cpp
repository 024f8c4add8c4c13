// textresgen-utf8 INPUT OUTPUT: writes the UTF-8 form of a generated UTF-16LE
// file, for compilers that read only UTF-8 and for host code that includes
// the generated header. Exit status 0 on success, 1 with a message when a
// file fails, 2 when the command line is wrong, 3 out of memory.
#include <string>

#include "cli/command_line.h"
#include "cli/diagnostic.h"
#include "cli/file_problem_words.h"
#include "cli/out_of_memory.h"
#include "text/console.h"
#include "text/file_problem.h"
#include "text/platform_file.h"
#include "utf8/utf16le_to_utf8.h"

namespace {

const textresgen::cli::Tool kTool = {
    "textresgen-utf8",
    "usage: textresgen-utf8 INPUT OUTPUT\n"
    "\n"
    "Writes OUTPUT, the UTF-8 form (with the UTF-8 mark) of INPUT, a UTF-16LE file\n"
    "written by textresgen, for compilers that read only UTF-8. OUTPUT is replaced;\n"
    "nothing is left of it when INPUT has an unpaired surrogate or an odd last byte.\n",
    "",
    "Exit status: 0 converted, 1 a file could not be read, written or converted,\n"
    "2 the command line is wrong, 3 out of memory.\n"};

int Fail(std::string what, const char* path) {
    textresgen::WriteStandardError(textresgen::cli::FormatDiagnostic({path, 0, std::move(what)}));
    return textresgen::cli::kExitProblems;
}


int Convert(int argc, char** argv) {
    using textresgen::ByteSource;
    namespace cli = textresgen::cli;
    const cli::CommandLine line = cli::ParseProgramArguments(kTool, argc, argv);
    if (!line.run) return cli::Finish(line);
    if (line.operands.size() != 2)
        return cli::Finish(cli::UsageError(kTool, "expects two files, INPUT and OUTPUT"));
    const char* const input = line.operands[0].c_str();
    const char* const output = line.operands[1].c_str();

    for (const char* path : {input, output})
        if (textresgen::NamesDevice(path))
            return Fail(cli::kNamesDevice, path);
    auto source = textresgen::OpenRegularFileSource(input);
    if (!source)
        return Fail(cli::CannotOpen(textresgen::LastFileProblem()), input);
    // OUTPUT is replaced whole when the conversion is complete; a failed or
    // interrupted run leaves the file as it was.
    auto sink = textresgen::CreateReplacingFileSink(output);
    if (!sink)
        return Fail(cli::CannotReplace(textresgen::LastFileProblem()), output);

    textresgen::Utf16LeToUtf8 converter;
    std::string utf8;
    unsigned char buffer[1 << 16];
    bool converted = true;
    for (;;) {
        utf8.clear();
        std::size_t count = 0;
        const ByteSource::Status status = source->Read(buffer, sizeof buffer, count);
        if (status == ByteSource::Status::Error) {
            sink->Discard();
            return Fail(cli::kCannotRead, input);
        }
        if (status == ByteSource::Status::End) {
            converted = converter.Finish(utf8);
            break;
        }
        if (!converter.Convert(buffer, count, utf8)) {
            converted = false;
            break;
        }
        if (!sink->Write(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size())) {
            sink->Discard();
            return Fail(cli::CannotReplace(textresgen::FileProblem::Other), output);
        }
    }
    if (!converted) {
        sink->Discard();
        return Fail("unpaired surrogate or odd last byte at byte " + std::to_string(converter.ErrorOffset()) +
                        "; it has no UTF-8 form",
                    input);
    }
    if (!sink->Write(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size()) || !sink->Close() ||
        !sink->Commit()) {
        sink->Discard();
        return Fail(cli::CannotReplace(textresgen::FileProblem::Other), output);
    }
    return cli::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    return textresgen::cli::RunWithinMemory("textresgen-utf8", [&] { return Convert(argc, argv); });
}
