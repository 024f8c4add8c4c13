#include "text/utf16_reader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "text/byte_order.h"
#include "text/platform_file.h"
#include "text/unicode.h"

namespace textresgen {
namespace {

// Reads of the input start at kFirstReadChunk bytes and double while they
// come back full, up to kReadChunk: a small input gets small buffers (fresh
// memory is slow to touch), a large one is still read in large pieces.
constexpr std::size_t kFirstReadChunk = 4 * 1024;
constexpr std::size_t kReadChunk = 256 * 1024;
constexpr char16_t kLF = unicode::kLineFeed;
constexpr char16_t kCR = unicode::kCarriageReturn;
constexpr char16_t kEndOfInput = unicode::kEndOfInput;
constexpr char16_t kNotACharacter = unicode::kNotACharacter;

// Units checked at once by the fast paths of reading.
constexpr std::size_t kBlock = 16;

// Whether a block holds a unit that reading treats specially: one up to
// U+001A (CR, LF and the end-of-input unit among them) or U+FFFF.
bool HasSpecialUnit(const char16_t* block) {
    bool special = false;
    for (std::size_t k = 0; k < kBlock; ++k)
        special |= (block[k] <= kEndOfInput) | (block[k] == kNotACharacter);
    return special;
}

bool IsSpecialUnit(char16_t unit) { return unit <= kEndOfInput || unit == kNotACharacter; }

// Index of the first special unit in units[from, count), or count.
std::size_t FindSpecialUnit(const char16_t* units, std::size_t from, std::size_t count) {
    std::size_t i = from;
    while (count - i >= kBlock && !HasSpecialUnit(units + i)) i += kBlock;
    while (i < count && !IsSpecialUnit(units[i])) ++i;
    return i;
}

}  // namespace

LeadingMark LeadingMarkOf(const unsigned char* head, std::size_t count) {
    if (count >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) return LeadingMark::Utf8;
    if (count >= 2 && head[0] == 0xFE && head[1] == 0xFF) return LeadingMark::BigEndian;
    if (count >= 2 && head[0] == 0xFF && head[1] == 0xFE) return LeadingMark::Utf16Le;
    return LeadingMark::None;
}

std::size_t MarkSize(LeadingMark mark) {
    switch (mark) {
        case LeadingMark::Utf8: return 3;
        case LeadingMark::Utf16Le:
        case LeadingMark::BigEndian: return 2;
        case LeadingMark::None: break;
    }
    return 0;
}

Utf16Reader::Utf16Reader() = default;
Utf16Reader::~Utf16Reader() = default;

bool Utf16Reader::Open(const char* path) { return Open(OpenFileSource(path)); }

bool Utf16Reader::Open(std::unique_ptr<ByteSource> source) {
    source_ = std::move(source);
    if (!source_) return false;
    if (StartReading()) return true;
    source_.reset();
    return false;
}

// Probes the first three bytes for a byte-order mark.
bool Utf16Reader::StartReading() {
    SizeBuffers(kFirstReadChunk);
    byteCount_ = 0;
    while (byteCount_ < 3 && !sourceEnded_) {
        std::size_t got = 0;
        switch (source_->Read(bytes_.data() + byteCount_, 3 - byteCount_, got)) {
            case ByteSource::Status::Data: byteCount_ += got; break;
            case ByteSource::Status::End: sourceEnded_ = true; break;
            case ByteSource::Status::Error: return false;
        }
    }
    const LeadingMark mark = LeadingMarkOf(bytes_.data(), byteCount_);
    if (mark == LeadingMark::BigEndian) return false;
    utf8_ = mark == LeadingMark::Utf8;
    const std::size_t skip = MarkSize(mark);
    std::memmove(bytes_.data(), bytes_.data() + skip, byteCount_ - skip);
    byteCount_ -= skip;
    return true;
}

// Room for a read of `chunk` bytes after a few carried ones, and for what
// they decode to. Keeps the carried bytes.
void Utf16Reader::SizeBuffers(std::size_t chunk) {
    readChunk_ = chunk;
    // UTF-16 is read straight into decoded_; bytes_ then only holds the
    // probe and a carried byte.
    if (utf8_ || bytes_.empty()) bytes_.resize(chunk + 4);
    decoded_.resize(chunk + Utf8Decoder::kMaxPending + 4);
    units_.resize(decoded_.size() + 1);
    lineEnds_.reserve(units_.size());  // at most one per unit: never reallocated while filled
}

bool Utf16Reader::ReadBytes(unsigned char* into, std::size_t offset) {
    std::size_t got = 0;
    switch (source_->Read(into + offset, readChunk_, got)) {
        case ByteSource::Status::Data:
            byteCount_ = offset + got;
            if (got == readChunk_ && readChunk_ < kReadChunk) SizeBuffers(2 * readChunk_);
            return true;
        case ByteSource::Status::End: sourceEnded_ = true; return true;
        case ByteSource::Status::Error: break;
    }
    readFailed_ = true;
    return false;
}

// Line-end translation and the special units, applied in reading order.
// A CR at the end of one read waits for the first unit of the next.
// Most units need no translation: the runs between special units are found
// a block at a time and copied whole.
void Utf16Reader::TranslateUnits(const char16_t* units, std::size_t count) {
    char16_t* out = units_.data() + unitEnd_;
    std::size_t i = 0;
    while (i < count) {
        if (pendingCR_) {
            pendingCR_ = false;
            if (units[i] == kLF) {
                lineEnds_.push_back(static_cast<std::uint32_t>(out - units_.data()));
                *out++ = kLF;
                ++i;
                continue;
            }
            *out++ = kCR;
        }
        const std::size_t special = FindSpecialUnit(units, i, count);
        std::memcpy(out, units + i, (special - i) * sizeof(char16_t));
        out += special - i;
        if (special == count) break;
        const char16_t unit = units[special];
        i = special + 1;
        if (unit == kCR) {
            pendingCR_ = true;
        } else if (unit == kEndOfInput) {
            inputEnded_ = true;
            break;
        } else if (unit != kNotACharacter) {
            if (unit == kLF) lineEnds_.push_back(static_cast<std::uint32_t>(out - units_.data()));
            *out++ = unit;
        }
    }
    unitEnd_ = static_cast<std::size_t>(out - units_.data());
}

void Utf16Reader::EndInput() {
    if (pendingCR_) units_[unitEnd_++] = kCR;  // a CR that is the last unit stays
    pendingCR_ = false;
    inputEnded_ = true;
}

// An odd last byte of `bytes` (byteCount_ of them) waits in bytes_ for its
// partner; at the end of the input it is ignored.
void Utf16Reader::CarryOddByte(const unsigned char* bytes) {
    const bool odd = (byteCount_ & 1u) != 0;
    if (odd) bytes_[0] = bytes[byteCount_ - 1];
    byteCount_ = odd && !sourceEnded_ ? 1 : 0;
}

// Decodes and translates the next read of the input into units_. False when
// the input has ended (or failed) and nothing is left.
bool Utf16Reader::Refill() {
    unitPos_ = 0;
    unitEnd_ = 0;
    lineEnds_.clear();
    nextLineEnd_ = 0;
    while (unitEnd_ == 0 && !inputEnded_) {
        std::size_t count = 0;
        if (utf8_) {
            if (!sourceEnded_ && !ReadBytes(bytes_.data(), byteCount_)) return false;
            count = decoder_.Decode(bytes_.data(), byteCount_, decoded_.data());
            byteCount_ = 0;
            if (sourceEnded_) decoder_.DropPending();
        } else if (kLittleEndianHost) {
            // The bytes are the units: read straight into decoded_, behind
            // the bytes carried over from the last read.
            std::memcpy(decoded_.data(), bytes_.data(), byteCount_);
            if (!sourceEnded_ && !ReadBytes(reinterpret_cast<unsigned char*>(decoded_.data()), byteCount_))
                return false;
            count = byteCount_ / 2;
            CarryOddByte(reinterpret_cast<const unsigned char*>(decoded_.data()));
        } else {
            if (!sourceEnded_ && !ReadBytes(bytes_.data(), byteCount_)) return false;
            count = byteCount_ / 2;
            const unsigned char* b = bytes_.data();
            for (std::size_t i = 0; i < count; ++i)
                decoded_[i] = static_cast<char16_t>(b[2 * i] | (b[2 * i + 1] << 8));
            CarryOddByte(b);
        }
        TranslateUnits(decoded_.data(), count);
        if (sourceEnded_ && !inputEnded_) EndInput();
    }
    return unitEnd_ > 0;
}

bool Utf16Reader::ReadLine(WideStringView& line) {
    if (!source_) return false;
    bool assembling = false;
    for (;;) {
        if (unitPos_ == unitEnd_ && !Refill()) {
            if (!assembling || readFailed_) return false;
            line = line_.View();
            return true;
        }
        const char16_t* begin = units_.data() + unitPos_;
        const std::size_t available = unitEnd_ - unitPos_;
        const char16_t* lf =
            nextLineEnd_ < lineEnds_.size() ? units_.data() + lineEnds_[nextLineEnd_++] : nullptr;
        const std::size_t taken = lf ? static_cast<std::size_t>(lf - begin) + 1 : available;
        unitPos_ += taken;
        if (lf && !assembling) {
            line = WideStringView(begin, taken);
            return true;
        }
        if (!assembling) line_.Clear();
        assembling = true;
        line_.Append(begin, taken);
        if (lf) {
            line = line_.View();
            return true;
        }
    }
}

}  // namespace textresgen
