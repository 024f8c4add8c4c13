#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace textresgen {

// An append-only sequence of trivially copyable records kept in fixed-size
// blocks. Unlike a growing std::vector it never copies its records to a
// bigger array: memory is touched once, as records are added, and the peak
// is the records themselves rather than the old and the new array together.
// Only the first block starts small and doubles up to the full block size,
// so that a small definition allocates little.
template <typename T, std::size_t kBlockShift = 16>
class BlockVector {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockShift;

    void push_back(const T& record) {
        if (size_ == firstCapacity_) {
            GrowFirstBlock();
        } else if ((size_ & (kBlockSize - 1)) == 0 && size_ >> kBlockShift == blocks_.size()) {
            blocks_.emplace_back(Allocate(kBlockSize));
        }
        new (blocks_[size_ >> kBlockShift].get() + (size_ & (kBlockSize - 1))) T(record);
        ++size_;
    }

    T& operator[](std::size_t i) { return blocks_[i >> kBlockShift].get()[i & (kBlockSize - 1)]; }
    const T& operator[](std::size_t i) const { return blocks_[i >> kBlockShift].get()[i & (kBlockSize - 1)]; }
    T& back() { return (*this)[size_ - 1]; }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    static constexpr std::size_t kFirstCapacity = 64;
    static constexpr std::size_t kFull = static_cast<std::size_t>(-1);  // the first block is whole

    // Blocks start on a cache line, so that records of 32 bytes or less
    // never straddle two.
    static constexpr std::align_val_t kBlockAlignment{64};

    struct Release {
        void operator()(T* block) const { ::operator delete(block, kBlockAlignment); }
    };

    static T* Allocate(std::size_t records) {
        return static_cast<T*>(::operator new(records * sizeof(T), kBlockAlignment));
    }

    // Doubles the first block until it has the full size; later blocks are
    // allocated whole.
    void GrowFirstBlock() {
        const std::size_t capacity = firstCapacity_ == 0 ? kFirstCapacity : 2 * firstCapacity_;
        std::unique_ptr<T, Release> grown(Allocate(capacity < kBlockSize ? capacity : kBlockSize));
        if (size_ > 0) std::memcpy(static_cast<void*>(grown.get()), blocks_[0].get(), size_ * sizeof(T));
        if (blocks_.empty())
            blocks_.push_back(std::move(grown));
        else
            blocks_[0] = std::move(grown);
        firstCapacity_ = capacity < kBlockSize ? capacity : kFull;
    }

    std::vector<std::unique_ptr<T, Release>> blocks_;
    std::size_t size_ = 0;
    std::size_t firstCapacity_ = 0;
};

}  // namespace textresgen
