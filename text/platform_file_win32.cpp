// Windows files with the share modes the program promises: a reader lets
// others read but not write; a writer lets nobody else open the file.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <limits>
#include <string>

#include "text/platform_file.h"

namespace textresgen {
namespace {

std::wstring WidePath(const char* path) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

constexpr DWORD kMaxChunk = 1u << 30;

DWORD ChunkOf(std::size_t size) {
    return size > kMaxChunk ? kMaxChunk : static_cast<DWORD>(size);
}

class Win32FileSource final : public ByteSource {
public:
    explicit Win32FileSource(HANDLE handle) : handle_(handle) {}
    ~Win32FileSource() override { CloseHandle(handle_); }

    Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) override {
        DWORD got = 0;
        count = 0;
        if (!ReadFile(handle_, buffer, ChunkOf(capacity), &got, nullptr)) return Status::Error;
        count = got;
        return got == 0 ? Status::End : Status::Data;
    }

private:
    HANDLE handle_;
};

class Win32FileSink final : public ByteSink {
public:
    Win32FileSink(HANDLE handle, std::wstring path) : handle_(handle), path_(std::move(path)) {}
    ~Win32FileSink() override { CloseFile(); }

    bool Write(const unsigned char* data, std::size_t size) override {
        while (size > 0) {
            DWORD put = 0;
            if (!WriteFile(handle_, data, ChunkOf(size), &put, nullptr) || put == 0) return false;
            data += put;
            size -= put;
        }
        return true;
    }

    bool Close() override { return CloseFile(); }

    void Discard() override {
        CloseFile();
        const DWORD attributes = GetFileAttributesW(path_.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0)
            return;
        if (DeleteFileW(path_.c_str())) return;
        // Where it cannot be removed, it is emptied, so that no file that
        // looks complete but is not stays behind.
        const HANDLE emptied = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (emptied != INVALID_HANDLE_VALUE) CloseHandle(emptied);
    }

private:
    bool CloseFile() {
        if (handle_ == INVALID_HANDLE_VALUE) return true;
        const BOOL closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed != 0;
    }

    HANDLE handle_;
    std::wstring path_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const char* path) {
    const std::wstring wide = WidePath(path);
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32FileSource>(handle);
}

std::unique_ptr<ByteSink> CreateFileSink(const char* path) {
    std::wstring wide = WidePath(path);
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32FileSink>(handle, std::move(wide));
}

bool RenameOver(const char* from, const char* to) {
    const std::wstring wideFrom = WidePath(from);
    const std::wstring wideTo = WidePath(to);
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace textresgen
