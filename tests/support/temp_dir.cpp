#include "support/temp_dir.h"

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace textresgen::test {

TempDir::TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed() ^ static_cast<std::uint64_t>(
                                        std::chrono::steady_clock::now().time_since_epoch().count()));
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = base / ("textresgen-test-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder in " + base.string());
}

TempDir::~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    char block[1 << 16];
    while (in.read(block, sizeof block) || in.gcount() > 0) bytes.append(block, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    // The wide name on Windows: MinGW's std::ofstream narrows it to the ANSI
    // code page, which fails for a name that code page lacks or maps to a
    // look-alike.
#ifdef _WIN32
    std::FILE* out = _wfopen(path.c_str(), L"wb");
#else
    std::FILE* out = std::fopen(path.c_str(), "wb");
#endif
    if (out == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

std::vector<std::string> SortedFileNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace textresgen::test
