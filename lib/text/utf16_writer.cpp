#include "text/utf16_writer.h"

#include <algorithm>
#include <cstring>

#include "text/byte_order.h"
#include "text/platform_file.h"
#include "text/unicode.h"

namespace textresgen {
namespace {

// The write buffer starts small and doubles with every write out: a small
// output gets a small buffer (fresh memory is slow to touch), a large one is
// still written in large pieces.
constexpr std::size_t kFirstWriteBuffer = 4 * 1024;
constexpr std::size_t kWriteBuffer = 256 * 1024;
constexpr char16_t kLF = unicode::kLineFeed;
constexpr char16_t kCR = unicode::kCarriageReturn;

// Copies `count` units to `out` low byte first.
void StoreUnits(unsigned char* out, const char16_t* units, std::size_t count) {
    if (kLittleEndianHost) {
        std::memcpy(out, units, 2 * count);
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[2 * i] = static_cast<unsigned char>(units[i] & 0xFF);
        out[2 * i + 1] = static_cast<unsigned char>(units[i] >> 8);
    }
}

}  // namespace

Utf16Writer::Utf16Writer() = default;
Utf16Writer::~Utf16Writer() = default;

bool Utf16Writer::Open(const char* path) { return Open(CreateFileSink(path)); }

bool Utf16Writer::Open(std::unique_ptr<ByteSink> sink) {
    sink_ = std::move(sink);
    if (!sink_) return false;
    if (!out_) {  // a writer opened again keeps its buffer
        writeCapacity_ = kFirstWriteBuffer;
        out_.reset(new unsigned char[writeCapacity_]);
    }
    out_[0] = 0xFF;
    out_[1] = 0xFE;
    outPos_ = 2;
    return true;
}

bool Utf16Writer::OpenContinuation(std::unique_ptr<ByteSink> sink) {
    if (!Open(std::move(sink))) return false;
    outPos_ = 0;
    return true;
}

// Small pieces join the buffer; a large one goes to the sink as it is.
void Utf16Writer::PrintEncoded(const unsigned char* bytes, std::size_t size) {
    if (size == 0) return;
    if (size > writeCapacity_ - outPos_) {
        Flush();
        if (size > writeCapacity_ - outPos_) {
            if (!sink_->Write(bytes, size)) throw OutputError();
            return;
        }
    }
    std::memcpy(out_.get() + outPos_, bytes, size);
    outPos_ += size;
}

void Utf16Writer::Flush() {
    const bool filled = outPos_ + 4 > writeCapacity_;  // not merely closing
    if (outPos_ > 0 && !sink_->Write(out_.get(), outPos_)) throw OutputError();
    outPos_ = 0;
    if (filled && writeCapacity_ < kWriteBuffer) {
        writeCapacity_ *= 2;
        out_.reset(new unsigned char[writeCapacity_]);
    }
}

void Utf16Writer::PutUnit(char16_t unit) {
    if (outPos_ + 4 > writeCapacity_) Flush();
    if (unit == kLF) {
        out_[outPos_++] = static_cast<unsigned char>(kCR);
        out_[outPos_++] = 0;
    }
    out_[outPos_++] = static_cast<unsigned char>(unit & 0xFF);
    out_[outPos_++] = static_cast<unsigned char>(unit >> 8);
}

// The runs between line ends go out as they are; each LF as CR LF.
void Utf16Writer::PrintText(WideStringView text) {
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t lineEnd = std::min(text.find(kLF, from), text.size());
        PrintUnits(text.substr(from, lineEnd - from));
        if (lineEnd == text.size()) return;
        PutUnit(kLF);
        from = lineEnd + 1;
    }
}

void Utf16Writer::PrintLine(WideStringView text) {
    PrintText(text);
    PutUnit(kLF);
}

void Utf16Writer::PrintNarrowText(const unsigned char* units, std::size_t count) {
    while (count > 0) {
        const auto* lineEnd = static_cast<const unsigned char*>(std::memchr(units, kLF, count));
        const std::size_t run = lineEnd == nullptr ? count : static_cast<std::size_t>(lineEnd - units);
        PrintNarrowUnits(units, run);
        if (lineEnd == nullptr) return;
        PutUnit(kLF);
        units += run + 1;
        count -= run + 1;
    }
}

void Utf16Writer::PrintUnitsSlowly(WideStringView units) {
    const char16_t* next = units.data();
    std::size_t left = units.size();
    while (left > 0) {
        if (outPos_ + 2 > writeCapacity_) Flush();
        const std::size_t batch = std::min(left, (writeCapacity_ - outPos_) / 2);
        StoreUnits(out_.get() + outPos_, next, batch);
        outPos_ += 2 * batch;
        next += batch;
        left -= batch;
    }
}

void Utf16Writer::PrintNarrowUnits(const unsigned char* units, std::size_t count) {
    while (count > 0) {
        if (outPos_ + 2 > writeCapacity_) Flush();
        const std::size_t batch = std::min(count, (writeCapacity_ - outPos_) / 2);
        unsigned char* out = out_.get() + outPos_;
        for (std::size_t i = 0; i < batch; ++i) {
            out[2 * i] = units[i];
            out[2 * i + 1] = 0;
        }
        outPos_ += 2 * batch;
        units += batch;
        count -= batch;
    }
}

void Utf16Writer::PrintRepeated(char16_t unit, std::size_t count) {
    if (unit == kLF) {
        while (count-- > 0) PutUnit(unit);
        return;
    }
    const auto low = static_cast<unsigned char>(unit & 0xFF);
    const auto high = static_cast<unsigned char>(unit >> 8);
    while (count > 0) {
        if (outPos_ + 2 > writeCapacity_) Flush();
        const std::size_t batch = std::min(count, (writeCapacity_ - outPos_) / 2);
        unsigned char* out = out_.get() + outPos_;
        for (std::size_t i = 0; i < batch; ++i) {
            out[2 * i] = low;
            out[2 * i + 1] = high;
        }
        outPos_ += 2 * batch;
        count -= batch;
    }
}

void Utf16Writer::Print(std::string_view format, std::initializer_list<WideStringView> arguments) {
    auto next = arguments.begin();
    std::size_t literal = 0;  // start of the format text not yet written
    for (std::size_t i = 0; i + 1 < format.size() && next != arguments.end(); ++i) {
        if (format[i] != '%' || format[i + 1] != 's') continue;
        PrintFormatText(format.substr(literal, i - literal));
        PrintText(*next++);
        literal = ++i + 1;
    }
    PrintFormatText(format.substr(literal));
}

// The fixed text of a format: ASCII, short, LF written as CR LF.
void Utf16Writer::PrintFormatText(std::string_view text) {
    if (4 * text.size() > writeCapacity_ - outPos_) {
        Flush();
        if (4 * text.size() > writeCapacity_) {
            for (const char c : text) PutUnit(static_cast<char16_t>(static_cast<unsigned char>(c)));
            return;
        }
    }
    unsigned char* out = out_.get() + outPos_;
    for (const char c : text) {
        if (c == '\n') {
            *out++ = static_cast<unsigned char>(kCR);
            *out++ = 0;
        }
        *out++ = static_cast<unsigned char>(c);
        *out++ = 0;
    }
    outPos_ = static_cast<std::size_t>(out - out_.get());
}

void Utf16Writer::Close() {
    if (!sink_) return;
    Flush();
    // The sink stays, so that Discard can still remove the file.
    if (!sink_->Close()) throw OutputError();
}

bool Utf16Writer::Commit() {
    if (!sink_ || !sink_->Commit()) return false;
    sink_.reset();
    return true;
}

void Utf16Writer::Discard() {
    if (sink_) sink_->Discard();
    sink_.reset();
    outPos_ = 0;
}

}  // namespace textresgen
