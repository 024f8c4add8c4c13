#pragma once

#include <filesystem>

namespace textresgen::test {

// Holds an existing file the way another program writing it would: the
// generator's own opens of it must then fail (a share mode on Windows, an
// exclusive advisory lock elsewhere).
class ExclusiveHold {
public:
    explicit ExclusiveHold(const std::filesystem::path& path);
    ~ExclusiveHold();
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;

    bool Held() const { return held_; }

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
    bool held_ = false;
};

}  // namespace textresgen::test
