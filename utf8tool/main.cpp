// textresgen-utf8 INPUT OUTPUT: writes the UTF-8 form of a generated UTF-16LE
// file, for compilers that read only UTF-8 and for host code that includes
// the generated header. Exit status 0 on success, 1 with a message otherwise.
#include <cstdio>
#include <string>

#include "text/platform_file.h"
#include "utf8tool/utf16le_to_utf8.h"

namespace {

int Fail(const char* what, const char* path) {
    std::fprintf(stderr, "textresgen-utf8: %s: %s\n", path, what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using textresgen::ByteSource;
    if (argc != 3) {
        std::fputs("usage: textresgen-utf8 INPUT OUTPUT\n", stderr);
        return 1;
    }
    auto source = textresgen::OpenFileSource(argv[1]);
    if (!source) return Fail("cannot open for reading", argv[1]);
    auto sink = textresgen::CreateFileSink(argv[2]);
    if (!sink) return Fail("cannot create", argv[2]);

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
            return Fail("read error", argv[1]);
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
            return Fail("write error", argv[2]);
        }
    }
    if (!converted) {
        sink->Discard();
        std::fprintf(stderr,
                     "textresgen-utf8: %s: unpaired surrogate or odd last byte at byte %llu; "
                     "it has no UTF-8 form\n",
                     argv[1], static_cast<unsigned long long>(converter.ErrorOffset()));
        return 1;
    }
    if (!sink->Write(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size()) ||
        !sink->Close()) {
        sink->Discard();
        return Fail("write error", argv[2]);
    }
    return 0;
}
