#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "text/byte_stream.h"

namespace textresgen {

// Serves bytes from memory, in reads of at most `chunk` bytes so that tests
// can place the read boundaries where they want them.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes, std::size_t chunk = static_cast<std::size_t>(-1))
        : bytes_(bytes), chunk_(chunk == 0 ? 1 : chunk) {}

    Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) override;

private:
    std::string_view bytes_;
    std::size_t chunk_;
    std::size_t position_ = 0;
};

// Collects written bytes in a string owned by the caller.
class MemorySink final : public ByteSink {
public:
    explicit MemorySink(std::string& target) : target_(target) { target_.clear(); }

    bool Write(const unsigned char* data, std::size_t size) override;
    bool Close() override { return true; }
    void Discard() override { target_.clear(); }
    std::unique_ptr<ByteSource> WrittenBytes() override { return std::make_unique<MemorySource>(target_); }

private:
    std::string& target_;
};

}  // namespace textresgen
