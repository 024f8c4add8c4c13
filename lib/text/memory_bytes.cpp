#include "text/memory_bytes.h"

#include <algorithm>
#include <cstring>

namespace textresgen {

ByteSource::Status MemorySource::Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) {
    count = std::min({capacity, chunk_, bytes_.size() - position_});
    if (count == 0) return Status::End;
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return Status::Data;
}

bool MemorySink::Write(const unsigned char* data, std::size_t size) {
    target_.append(reinterpret_cast<const char*>(data), size);
    return true;
}

}  // namespace textresgen
