#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

#include "text/wide_string.h"

namespace textresgen {

// Units of one line that spans several reads of the input. Grown with
// realloc, which for large blocks typically remaps pages instead of copying
// them, so a line of hundreds of megabytes is not copied and touched over
// and over as it grows.
class LineBuffer {
public:
    LineBuffer() = default;
    ~LineBuffer() { std::free(units_); }
    LineBuffer(const LineBuffer&) = delete;
    LineBuffer& operator=(const LineBuffer&) = delete;

    void Clear() { size_ = 0; }

    void Append(const char16_t* units, std::size_t count) {
        if (count > capacity_ - size_) Grow(count);
        std::memcpy(units_ + size_, units, count * sizeof(char16_t));
        size_ += count;
    }

    WideStringView View() const { return {units_, size_}; }

private:
    void Grow(std::size_t count) {
        std::size_t capacity = capacity_ < 4096 ? 4096 : capacity_;
        while (capacity - size_ < count) {
            if (capacity > static_cast<std::size_t>(-1) / (2 * sizeof(char16_t))) throw std::bad_alloc();
            capacity *= 2;
        }
        void* grown = std::realloc(units_, capacity * sizeof(char16_t));
        if (grown == nullptr) throw std::bad_alloc();
        units_ = static_cast<char16_t*>(grown);
        capacity_ = capacity;
    }

    char16_t* units_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace textresgen
