#include "utf8/utf16le_to_utf8.h"

#include "text/unicode.h"
#include "text/utf8_encoder.h"

namespace textresgen {

using unicode::IsHighSurrogate;
using unicode::IsLowSurrogate;

void Utf16LeToUtf8::Start(std::string& out) {
    if (started_) return;
    started_ = true;
    out += "\xEF\xBB\xBF";
}

bool Utf16LeToUtf8::Unit(char16_t unit, std::string& out) {
    if (!markChecked_) {
        markChecked_ = true;
        if (unit == unicode::kByteOrderMark) {
            offset_ += 2;
            return true;
        }
    }
    if (highSurrogate_ != 0) {
        if (!IsLowSurrogate(unit)) {
            errorOffset_ = offset_ - 2;
            return false;
        }
        AppendUtf8(out, unicode::CombineSurrogates(highSurrogate_, unit));
        highSurrogate_ = 0;
    } else if (IsHighSurrogate(unit)) {
        highSurrogate_ = unit;
    } else if (IsLowSurrogate(unit)) {
        errorOffset_ = offset_;
        return false;
    } else {
        AppendUtf8(out, unit);
    }
    offset_ += 2;
    return true;
}

bool Utf16LeToUtf8::Convert(const unsigned char* bytes, std::size_t size, std::string& out) {
    Start(out);
    std::size_t i = 0;
    if (hasOddByte_ && size > 0) {
        hasOddByte_ = false;
        if (!Unit(static_cast<char16_t>(oddByte_ | (bytes[0] << 8)), out)) return false;
        i = 1;
    }
    for (; i + 1 < size; i += 2) {
        if (!Unit(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)), out)) return false;
    }
    if (i < size) {
        hasOddByte_ = true;
        oddByte_ = bytes[i];
    }
    return true;
}

bool Utf16LeToUtf8::Finish(std::string& out) {
    Start(out);
    if (highSurrogate_ != 0) {
        errorOffset_ = offset_ - 2;
        return false;
    }
    if (hasOddByte_) {
        errorOffset_ = offset_;
        return false;
    }
    return true;
}

}  // namespace textresgen
