#include "driver/generator.h"

#include <clocale>

#include "emit/header_writer.h"
#include "emit/source_writer.h"
#include "model/definition_reader.h"
#include "definition/generated_names.h"
#include "model/work_threads.h"
#include "text/console.h"
#include "text/memory_bytes.h"
#include "text/platform_file.h"
#include "text/utf16_reader.h"
#include "text/utf16_writer.h"

namespace textresgen {
namespace {

// Opens an output and writes it whole beside its place, closed but not yet
// put there. On a write or close failure, or when memory runs out, what was
// written is removed; false on a file failure.
template <typename Write>
bool WriteOutput(Utf16Writer& file, const OpenOutput& open, Write write) {
    if (!file.Open(open())) return false;
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

}  // namespace

bool Generate(std::unique_ptr<ByteSource> input, const OpenOutput& openSource, const OpenOutput& openHeader) {
    Utf16Reader reader;
    if (!reader.Open(std::move(input))) return false;
    ResourceTree tree;
    if (!ReadDefinitions(reader, tree, ThreadsForThisMachine())) return false;
    // Both files are written in full before either is put in its place, so
    // that a run that ends early (out of memory, a signal) leaves the old
    // pair; an exception leaves through the writers' destructors, which
    // remove what they wrote. A header that cannot be written still leaves
    // the source complete, as a header that cannot be opened always has.
    Utf16Writer source;
    if (!WriteOutput(source, openSource, [&](Utf16Writer& file) { WriteSource(tree, file); })) return false;
    Utf16Writer header;
    const bool headerWritten = WriteOutput(header, openHeader, [&](Utf16Writer& file) { WriteHeader(tree, file); });
    reader.Close();
    if (!source.Commit()) {
        source.Discard();
        header.Discard();
        return false;
    }
    if (!headerWritten) return false;
    if (!header.Commit()) {
        header.Discard();
        return false;
    }
    return true;
}

int RunGenerator() {
    // Requested where the platform knows the name; no byte of any file
    // depends on it, since the streams never consult the locale.
    std::setlocale(LC_ALL, "Japanese");
    if (!Generate(
            OpenRegularFileSource(names::kDefinitionFile), [] { return CreateReplacingFileSink(names::kSourceFile); },
            [] { return CreateReplacingFileSink(names::kHeaderFile); }))
        WriteStandardOutput(kFileErrorLine);
    return 0;
}

bool GenerateInMemory(std::string_view definition, GeneratedFiles& out) {
    return Generate(
        std::make_unique<MemorySource>(definition), [&] { return std::make_unique<MemorySink>(out.source); },
        [&] { return std::make_unique<MemorySink>(out.header); });
}

}  // namespace textresgen
