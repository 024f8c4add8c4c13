#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace textresgen::test {

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / std::string(name); }

private:
    std::filesystem::path path_;
};

// The whole file as bytes; nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);
// The names of the regular files in a folder, sorted (a fuzzing corpus).
std::vector<std::string> SortedFileNames(const std::filesystem::path& folder);
// Creates or replaces the file with exactly these bytes; false on failure.
bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

}  // namespace textresgen::test
