#include "driver/generator.h"

#include <clocale>
#include <memory>

#include "emit/header_writer.h"
#include "emit/source_writer.h"
#include "model/definition_reader.h"
#include "text/console.h"
#include "text/memory_bytes.h"
#include "text/utf16_text_file.h"

namespace textresgen {
namespace {

void WriteSourceFile(const ResourceTree& tree, Utf16TextFile& file) {
    file.Print("#include \"textresouce.h\"\n\n");
    WriteSource(tree, file);
}

// Writes and closes an opened output. On a write or close failure, or when
// memory runs out, the incomplete output is removed; false on a file failure.
template <typename Write>
bool Complete(Utf16TextFile& file, Write write) {
    try {
        write(file);
        file.Close();
        return true;
    } catch (const OutputError&) {
        file.Discard();
        return false;
    } catch (...) {
        file.Discard();
        throw;
    }
}

int ReportFileError() {
    WriteStandardOutput(kFileErrorLine);
    return 0;
}

}  // namespace

int RunGenerator() {
    // Requested where the platform knows the name; no byte of any file
    // depends on it, since the streams never consult the locale.
    std::setlocale(LC_ALL, "Japanese");

    Utf16TextFile input;
    if (!input.OpenForRead(kDefinitionFileName)) return ReportFileError();
    ResourceTree tree;
    if (!ReadDefinitions(input, tree)) return ReportFileError();

    Utf16TextFile source;
    if (!source.OpenForWrite(kSourceFileName)) return ReportFileError();
    if (!Complete(source, [&](Utf16TextFile& f) { WriteSourceFile(tree, f); })) return ReportFileError();

    Utf16TextFile header;
    if (!header.OpenForWrite(kHeaderFileName)) return ReportFileError();
    if (!Complete(header, [&](Utf16TextFile& f) { WriteHeader(tree, f); })) return ReportFileError();

    input.Close();
    return 0;
}

bool GenerateInMemory(std::string_view definition, GeneratedFiles& out) {
    Utf16TextFile input;
    if (!input.OpenForRead(std::make_unique<MemorySource>(definition))) return false;
    ResourceTree tree;
    if (!ReadDefinitions(input, tree)) return false;

    Utf16TextFile source;
    source.OpenForWrite(std::make_unique<MemorySink>(out.source));
    Complete(source, [&](Utf16TextFile& f) { WriteSourceFile(tree, f); });
    Utf16TextFile header;
    header.OpenForWrite(std::make_unique<MemorySink>(out.header));
    Complete(header, [&](Utf16TextFile& f) { WriteHeader(tree, f); });
    return true;
}

}  // namespace textresgen
