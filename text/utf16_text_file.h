#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "text/byte_stream.h"
#include "text/line_buffer.h"
#include "text/utf8_decoder.h"
#include "text/wide_string.h"

namespace textresgen {

// Thrown when a generated file cannot be written or closed.
class OutputError : public std::runtime_error {
public:
    OutputError() : std::runtime_error("write to a generated file failed") {}
};

// A stream over a UTF-16LE text file, opened either for reading or for
// writing, never both.
//
// Reading: the byte-order mark FF FE is skipped, FE FF refuses the file, and
// EF BB BF switches to UTF-8. CR LF is delivered as LF, a lone CR stays, U+001A
// ends the input, U+FFFF is dropped wherever it stands, and an odd last byte
// is ignored.
// Writing: the file starts with FF FE, every unit is written low byte first,
// and LF is written as CR LF.
class Utf16TextFile {
public:
    Utf16TextFile();
    ~Utf16TextFile();
    Utf16TextFile(const Utf16TextFile&) = delete;
    Utf16TextFile& operator=(const Utf16TextFile&) = delete;

    // --- reading ---
    // False when the file is missing or unreadable, cannot be read (a
    // directory), or starts with the big-endian mark.
    bool OpenForRead(const char* path);
    bool OpenForRead(std::unique_ptr<ByteSource> source);
    // Delivers the next line, LF included when the line had one; a last line
    // without LF is delivered as it is. Lines have any length and are never
    // empty. The view stays valid until the next call. False at the end of
    // input, and after a read error (see ReadFailed).
    bool ReadLine(WideStringView& line);
    bool ReadFailed() const { return readFailed_; }

    // --- writing ---
    // Creates or truncates the file and writes the mark FF FE.
    bool OpenForWrite(const char* path);
    bool OpenForWrite(std::unique_ptr<ByteSink> sink);
    // Writes `format` (ASCII), each "%s" replaced by the next argument's
    // units. Arguments are never read as formats. Throws OutputError.
    void Print(std::string_view format, std::initializer_list<WideStringView> arguments = {});
    // Writes the units of `text` as they are (LF still becomes CR LF).
    void PrintText(WideStringView text);
    // Writes the units of `text`, then a line end.
    void PrintLine(WideStringView text);
    // Writes `count` units given by their low byte (U+0000..U+00FF), as
    // PrintText would write them.
    void PrintNarrowText(const unsigned char* units, std::size_t count);
    // Writes `count` copies of `unit`.
    void PrintRepeated(char16_t unit, std::size_t count);
    // Flushes and closes; throws OutputError when that fails, after which
    // Discard removes what was written.
    void Close();
    // Closes a stream whose output is incomplete and removes what it wrote.
    void Discard();

private:
    // reading
    bool StartReading();
    void SizeBuffers(std::size_t chunk);
    bool Refill();
    bool ReadBytes(std::size_t offset);
    void TranslateUnits(const char16_t* units, std::size_t count);
    void EndInput();

    // writing
    void PutUnit(char16_t unit);
    void PrintFormatText(std::string_view text);
    void Flush();

    std::unique_ptr<ByteSource> source_;
    std::unique_ptr<ByteSink> sink_;

    // Raw bytes read ahead; `carry_` bytes at its start belong to the
    // previous read (an odd byte, or a mark that was only probed).
    std::vector<unsigned char> bytes_;
    std::size_t byteCount_ = 0;
    std::size_t readChunk_ = 0;  // bytes asked for by the next read
    bool utf8_ = false;
    Utf8Decoder decoder_;
    std::vector<char16_t> decoded_;
    // Translated units ready for ReadLine: [unitPos_, unitEnd_).
    std::vector<char16_t> units_;
    std::size_t unitPos_ = 0;
    std::size_t unitEnd_ = 0;
    // Where the LFs of units_ stand, noted while translating so that
    // ReadLine need not search for them; the next one is at nextLineEnd_.
    std::vector<std::uint32_t> lineEnds_;
    std::size_t nextLineEnd_ = 0;
    LineBuffer line_;  // assembles a line that spans two reads
    bool pendingCR_ = false;
    bool inputEnded_ = false;
    bool sourceEnded_ = false;
    bool readFailed_ = false;

    std::unique_ptr<unsigned char[]> out_;
    std::size_t outPos_ = 0;
    std::size_t writeCapacity_ = 0;
};

}  // namespace textresgen
