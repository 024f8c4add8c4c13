#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "text/byte_stream.h"
#include "text/line_buffer.h"
#include "text/utf8_decoder.h"
#include "text/wide_string.h"

namespace textresgen {

// The byte-order mark a definition file starts with, told by its first
// three bytes (fewer when the file is shorter): EF BB BF is UTF-8, FF FE
// UTF-16LE, FE FF big-endian (refused); without a mark it is UTF-16LE.
enum class LeadingMark { None, Utf16Le, Utf8, BigEndian };
LeadingMark LeadingMarkOf(const unsigned char* head, std::size_t count);
// The bytes of the mark: 0, 2 or 3.
std::size_t MarkSize(LeadingMark mark);

// Reads a definition file line by line: UTF-16LE, or UTF-8 behind its mark.
//
// The byte-order mark FF FE is skipped, FE FF refuses the file, and EF BB BF
// switches to UTF-8. CR LF is delivered as LF, a lone CR stays, U+001A ends
// the input, U+FFFF is dropped wherever it stands, and an odd last byte is
// ignored.
class Utf16Reader {
public:
    Utf16Reader();
    ~Utf16Reader();
    Utf16Reader(const Utf16Reader&) = delete;
    Utf16Reader& operator=(const Utf16Reader&) = delete;

    // False when the file is missing or unreadable, cannot be read (a
    // directory), or starts with the big-endian mark.
    bool Open(const char* path);
    bool Open(std::unique_ptr<ByteSource> source);
    // Delivers the next line, LF included when the line had one; a last line
    // without LF is delivered as it is. Lines have any length and are never
    // empty. The view stays valid until the next call. False at the end of
    // input, and after a read error (see ReadFailed).
    bool ReadLine(WideStringView& line);
    bool ReadFailed() const { return readFailed_; }
    // Releases the file.
    void Close() { source_.reset(); }

private:
    bool StartReading();
    void SizeBuffers(std::size_t chunk);
    bool Refill();
    bool ReadBytes(unsigned char* into, std::size_t offset);
    void CarryOddByte(const unsigned char* bytes);
    void TranslateUnits(const char16_t* units, std::size_t count);
    void EndInput();

    std::unique_ptr<ByteSource> source_;

    // Raw bytes read ahead; the first of them may be left over from the
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
};

}  // namespace textresgen
