#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string_view>

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
    // Flushes and closes; throws OutputError when that fails, after which
    // Discard removes what was written.
    void Close();
    // Closes a stream whose output is incomplete and removes what it wrote.
    void Discard();

private:
    void PutUnit(char16_t unit);
    void PrintFormatText(std::string_view text);
    void Flush();

    std::unique_ptr<ByteSink> sink_;
    std::unique_ptr<unsigned char[]> out_;
    std::size_t outPos_ = 0;
    std::size_t writeCapacity_ = 0;
};

}  // namespace textresgen
