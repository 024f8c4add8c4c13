#include "text/utf16_text_file.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "text/platform_file.h"

namespace textresgen {
namespace {

// Reads of the input start at kFirstReadChunk bytes and double while they
// come back full, up to kReadChunk: a small input gets small buffers (fresh
// memory is slow to touch), a large one is still read in large pieces.
constexpr std::size_t kFirstReadChunk = 4 * 1024;
constexpr std::size_t kReadChunk = 256 * 1024;
// The write buffer likewise starts small and doubles with every write out.
constexpr std::size_t kFirstWriteBuffer = 4 * 1024;
constexpr std::size_t kWriteBuffer = 256 * 1024;
constexpr char16_t kLF = 0x000A;
constexpr char16_t kCR = 0x000D;
constexpr char16_t kEndOfInput = 0x001A;
constexpr char16_t kNotACharacter = 0xFFFF;

// Whether char16_t units in memory already have the file's byte order.
const bool kLittleEndianHost = [] {
    const char16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}();

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

Utf16TextFile::Utf16TextFile() = default;
Utf16TextFile::~Utf16TextFile() = default;

// ---------------------------------------------------------------- reading

bool Utf16TextFile::OpenForRead(const char* path) { return OpenForRead(OpenFileSource(path)); }

bool Utf16TextFile::OpenForRead(std::unique_ptr<ByteSource> source) {
    source_ = std::move(source);
    if (!source_) return false;
    if (StartReading()) return true;
    source_.reset();
    return false;
}

// Probes the first three bytes for a byte-order mark.
bool Utf16TextFile::StartReading() {
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
    const unsigned char* b = bytes_.data();
    std::size_t skip = 0;
    if (byteCount_ == 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        utf8_ = true;
        skip = 3;
    } else if (byteCount_ >= 2) {
        if (b[0] == 0xFE && b[1] == 0xFF) return false;
        if (b[0] == 0xFF && b[1] == 0xFE) skip = 2;
    }
    std::memmove(bytes_.data(), bytes_.data() + skip, byteCount_ - skip);
    byteCount_ -= skip;
    return true;
}

// Room for a read of `chunk` bytes after a few carried ones, and for what
// they decode to. Keeps the carried bytes.
void Utf16TextFile::SizeBuffers(std::size_t chunk) {
    readChunk_ = chunk;
    bytes_.resize(chunk + 4);
    decoded_.resize(chunk + Utf8Decoder::kMaxPending + 4);
    units_.resize(decoded_.size() + 1);
    lineEnds_.reserve(units_.size());  // at most one per unit: never reallocated while filled
}

bool Utf16TextFile::ReadBytes(std::size_t offset) {
    std::size_t got = 0;
    switch (source_->Read(bytes_.data() + offset, readChunk_, got)) {
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
void Utf16TextFile::TranslateUnits(const char16_t* units, std::size_t count) {
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

void Utf16TextFile::EndInput() {
    if (pendingCR_) units_[unitEnd_++] = kCR;  // a CR that is the last unit stays
    pendingCR_ = false;
    inputEnded_ = true;
}

// Decodes and translates the next read of the input into units_. False when
// the input has ended (or failed) and nothing is left.
bool Utf16TextFile::Refill() {
    unitPos_ = 0;
    unitEnd_ = 0;
    lineEnds_.clear();
    nextLineEnd_ = 0;
    while (unitEnd_ == 0 && !inputEnded_) {
        if (!sourceEnded_ && !ReadBytes(byteCount_)) return false;
        std::size_t count = 0;
        if (utf8_) {
            count = decoder_.Decode(bytes_.data(), byteCount_, decoded_.data());
            byteCount_ = 0;
            if (sourceEnded_) decoder_.DropPending();
        } else {
            count = byteCount_ / 2;
            const unsigned char* b = bytes_.data();
            if (kLittleEndianHost) {
                std::memcpy(decoded_.data(), b, count * sizeof(char16_t));
            } else {
                for (std::size_t i = 0; i < count; ++i)
                    decoded_[i] = static_cast<char16_t>(b[2 * i] | (b[2 * i + 1] << 8));
            }
            // An odd byte waits for its partner; at the end it is ignored.
            const bool odd = (byteCount_ & 1u) != 0;
            if (odd) bytes_[0] = bytes_[byteCount_ - 1];
            byteCount_ = odd && !sourceEnded_ ? 1 : 0;
        }
        TranslateUnits(decoded_.data(), count);
        if (sourceEnded_ && !inputEnded_) EndInput();
    }
    return unitEnd_ > 0;
}

bool Utf16TextFile::ReadLine(WideStringView& line) {
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

// ---------------------------------------------------------------- writing

bool Utf16TextFile::OpenForWrite(const char* path) { return OpenForWrite(CreateFileSink(path)); }

bool Utf16TextFile::OpenForWrite(std::unique_ptr<ByteSink> sink) {
    sink_ = std::move(sink);
    if (!sink_) return false;
    writeCapacity_ = kFirstWriteBuffer;
    out_.reset(new unsigned char[writeCapacity_]);
    out_[0] = 0xFF;
    out_[1] = 0xFE;
    outPos_ = 2;
    return true;
}

void Utf16TextFile::Flush() {
    const bool filled = outPos_ + 4 > writeCapacity_;  // not merely closing
    if (outPos_ > 0 && !sink_->Write(out_.get(), outPos_)) throw OutputError();
    outPos_ = 0;
    if (filled && writeCapacity_ < kWriteBuffer) {
        writeCapacity_ *= 2;
        out_.reset(new unsigned char[writeCapacity_]);
    }
}

void Utf16TextFile::PutUnit(char16_t unit) {
    if (outPos_ + 4 > writeCapacity_) Flush();
    if (unit == kLF) {
        out_[outPos_++] = static_cast<unsigned char>(kCR);
        out_[outPos_++] = 0;
    }
    out_[outPos_++] = static_cast<unsigned char>(unit & 0xFF);
    out_[outPos_++] = static_cast<unsigned char>(unit >> 8);
}

void Utf16TextFile::PrintText(WideStringView text) {
    const char16_t* units = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        if (outPos_ + 4 > writeCapacity_) Flush();
        // Each unit takes at most four bytes (LF becomes CR LF).
        const std::size_t batch = std::min(left, (writeCapacity_ - outPos_) / 4);
        unsigned char* out = out_.get() + outPos_;
        // Names and texts hold no LF: after a quick look for one (a loop
        // without exits, which compilers vectorise), the units are copied
        // as they are.
        std::size_t lineEnds = 0;  // a count, not a flag: compilers vectorise sums
        for (std::size_t i = 0; i < batch; ++i) lineEnds += units[i] == kLF;
        if (lineEnds == 0) {
            if (kLittleEndianHost) {
                std::memcpy(out, units, 2 * batch);
            } else {
                for (std::size_t i = 0; i < batch; ++i) {
                    out[2 * i] = static_cast<unsigned char>(units[i] & 0xFF);
                    out[2 * i + 1] = static_cast<unsigned char>(units[i] >> 8);
                }
            }
            outPos_ += 2 * batch;
            units += batch;
            left -= batch;
            continue;
        }
        for (std::size_t i = 0; i < batch; ++i) {
            const char16_t unit = units[i];
            if (unit == kLF) {
                *out++ = static_cast<unsigned char>(kCR);
                *out++ = 0;
            }
            *out++ = static_cast<unsigned char>(unit & 0xFF);
            *out++ = static_cast<unsigned char>(unit >> 8);
        }
        outPos_ = static_cast<std::size_t>(out - out_.get());
        units += batch;
        left -= batch;
    }
}

void Utf16TextFile::PrintLine(WideStringView text) {
    PrintText(text);
    PutUnit(kLF);
}

void Utf16TextFile::PrintNarrowText(const unsigned char* units, std::size_t count) {
    while (count > 0) {
        if (outPos_ + 4 > writeCapacity_) Flush();
        const std::size_t batch = std::min(count, (writeCapacity_ - outPos_) / 4);
        unsigned char* out = out_.get() + outPos_;
        std::size_t lineEnds = 0;  // a count, not a flag: compilers vectorise sums
        for (std::size_t i = 0; i < batch; ++i) lineEnds += units[i] == kLF;
        if (lineEnds == 0) {
            for (std::size_t i = 0; i < batch; ++i) {
                out[2 * i] = units[i];
                out[2 * i + 1] = 0;
            }
            outPos_ += 2 * batch;
        } else {
            for (std::size_t i = 0; i < batch; ++i) PutUnit(units[i]);
        }
        units += batch;
        count -= batch;
    }
}

void Utf16TextFile::PrintRepeated(char16_t unit, std::size_t count) {
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

void Utf16TextFile::Print(std::string_view format, std::initializer_list<WideStringView> arguments) {
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
void Utf16TextFile::PrintFormatText(std::string_view text) {
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

// ---------------------------------------------------------------- closing

void Utf16TextFile::Close() {
    source_.reset();
    if (!sink_) return;
    Flush();
    // On failure the sink stays, so that Discard can still remove the file.
    if (!sink_->Close()) throw OutputError();
    sink_.reset();
}

void Utf16TextFile::Discard() {
    source_.reset();
    if (sink_) sink_->Discard();
    sink_.reset();
    outPos_ = 0;
}

}  // namespace textresgen
