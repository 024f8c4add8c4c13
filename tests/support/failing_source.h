#pragma once

#include <algorithm>
#include <string>

#include "text/byte_stream.h"

namespace textresgen::test {

// A definition file whose reading fails: it delivers `bytes` in reads of at
// most `chunk` bytes, then reports a read error instead of the end.
class FailingSource final : public ByteSource {
public:
    FailingSource(std::string bytes, std::size_t chunk) : bytes_(std::move(bytes)), chunk_(chunk) {}

    Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) override {
        count = std::min({capacity, chunk_, bytes_.size() - position_});
        if (count == 0) return Status::Error;
        std::copy_n(bytes_.data() + position_, count, buffer);
        position_ += count;
        return Status::Data;
    }

private:
    std::string bytes_;
    std::size_t chunk_;
    std::size_t position_ = 0;
};

}  // namespace textresgen::test
