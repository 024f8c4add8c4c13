#pragma once

#include <filesystem>
#include <string>

namespace textresgen::test {

// A dynamic library loaded at run time (dlopen; LoadLibrary on Windows),
// unloaded when the object goes.
class SharedLibrary {
public:
    explicit SharedLibrary(const std::filesystem::path& path);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    const std::string& Error() const { return error_; }
    // The exported symbol, or null.
    void* Symbol(const char* name) const;

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace textresgen::test
