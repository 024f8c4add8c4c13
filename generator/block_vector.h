#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace textresgen {

// An append-only sequence of trivially copyable records kept in fixed-size
// blocks. Unlike a growing std::vector it never copies its records to a
// bigger array: memory is touched once, as records are added, and the peak
// is the records themselves rather than the old and the new array together.
template <typename T, std::size_t kBlockShift = 16>
class BlockVector {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockShift;

    void push_back(const T& record) {
        if ((size_ & (kBlockSize - 1)) == 0 && size_ >> kBlockShift == blocks_.size())
            blocks_.emplace_back(static_cast<T*>(::operator new(kBlockSize * sizeof(T))));
        new (blocks_[size_ >> kBlockShift].get() + (size_ & (kBlockSize - 1))) T(record);
        ++size_;
    }

    T& operator[](std::size_t i) { return blocks_[i >> kBlockShift].get()[i & (kBlockSize - 1)]; }
    const T& operator[](std::size_t i) const { return blocks_[i >> kBlockShift].get()[i & (kBlockSize - 1)]; }
    T& back() { return (*this)[size_ - 1]; }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    struct Release {
        void operator()(T* block) const { ::operator delete(block); }
    };
    std::vector<std::unique_ptr<T, Release>> blocks_;
    std::size_t size_ = 0;
};

}  // namespace textresgen
