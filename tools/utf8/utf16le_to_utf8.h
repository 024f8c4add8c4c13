#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace textresgen {

// Incremental UTF-16LE to UTF-8 converter for the generated files, so that
// compilers that read only UTF-8 can build them. A leading FF FE mark is
// dropped and the output starts with the UTF-8 mark EF BB BF, which GCC,
// Clang and MSVC all accept and which makes MSVC read the file as UTF-8.
// A unit or surrogate pair cut by the end of a chunk is completed from the
// next chunk. Everything else, line ends included, is kept as it stands.
//
// An unpaired surrogate or an odd last byte has no UTF-8 form; rather than
// change a text silently, conversion stops and reports where it happened.
class Utf16LeToUtf8 {
public:
    // Appends the UTF-8 form of `size` more bytes to `out`. False on an
    // unpaired surrogate; ErrorOffset() then tells its byte offset.
    bool Convert(const unsigned char* bytes, std::size_t size, std::string& out);

    // Ends the input. False when a byte or a high surrogate is left over.
    bool Finish(std::string& out);

    std::uint64_t ErrorOffset() const { return errorOffset_; }

private:
    void Start(std::string& out);
    bool Unit(char16_t unit, std::string& out);

    bool started_ = false;
    bool markChecked_ = false;
    bool hasOddByte_ = false;
    unsigned char oddByte_ = 0;
    char16_t highSurrogate_ = 0;     // 0 when none is waiting
    std::uint64_t offset_ = 0;       // byte offset of the next unit
    std::uint64_t errorOffset_ = 0;
};

}  // namespace textresgen
