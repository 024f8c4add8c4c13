#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "text/byte_order.h"
#include "text/byte_stream.h"
#include "text/wide_string.h"

namespace textresgen {

// Thrown when a generated file cannot be written or closed.
class OutputError : public std::runtime_error {
public:
    OutputError() : std::runtime_error("write to a generated file failed") {}
};

// Writes a generated file in UTF-16LE: the file starts with FF FE, every unit
// is written low byte first, and LF is written as CR LF.
class Utf16Writer {
public:
    Utf16Writer();
    ~Utf16Writer();
    Utf16Writer(const Utf16Writer&) = delete;
    Utf16Writer& operator=(const Utf16Writer&) = delete;

    // Creates or truncates the file and writes the mark FF FE.
    bool Open(const char* path);
    bool Open(std::unique_ptr<ByteSink> sink);
    // Opens a writer for a later part of a file that another writer started:
    // no mark. What it writes is handed to that writer's PrintEncoded.
    bool OpenContinuation(std::unique_ptr<ByteSink> sink);
    // Writes `format` (ASCII), each "%s" replaced by the next argument's
    // units. Arguments are never read as formats. Throws OutputError.
    //   Print("struct _%s\n", {u"Menu"})  ->  struct _Menu CR LF
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

    // The line end of a generated file, for callers that assemble lines
    // themselves and write them with the two calls below.
    static constexpr std::u16string_view kLineEnd = u"\r\n";
    // Write units exactly as they are, LF included: for text already holding
    // kLineEnd, or known to hold no LF (names and texts of definitions). The
    // writers' inner loops call these once or several times per line, so the
    // common case is a copy into the buffer, inline.
    void PrintUnits(WideStringView units) {
        if (units.empty()) return;  // an empty view may have no address, which memcpy must not get
        if (kLittleEndianHost && 2 * units.size() <= writeCapacity_ - outPos_) {
            std::memcpy(out_.get() + outPos_, units.data(), 2 * units.size());
            outPos_ += 2 * units.size();
            return;
        }
        PrintUnitsSlowly(units);
    }
    // Units given by their low byte (U+0000..U+00FF).
    void PrintNarrowUnits(const unsigned char* units, std::size_t count);
    // Writes bytes a continuation writer produced, as they are.
    void PrintEncoded(const unsigned char* bytes, std::size_t size);
    // Flushes and closes; throws OutputError when that fails, after which
    // Discard removes what was written. The sink is kept for Commit.
    void Close();
    // After Close: puts the file in its place (ByteSink::Commit); false when
    // that failed, after which Discard removes what was written.
    bool Commit();
    // Closes a stream whose output is incomplete, or closed and not
    // committed, and removes what it wrote.
    void Discard();

private:
    void PutUnit(char16_t unit);
    void PrintUnitsSlowly(WideStringView units);
    void PrintFormatText(std::string_view text);
    void Flush();

    std::unique_ptr<ByteSink> sink_;
    std::unique_ptr<unsigned char[]> out_;
    std::size_t outPos_ = 0;
    std::size_t writeCapacity_ = 0;
};

}  // namespace textresgen
