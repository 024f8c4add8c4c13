// Windows files with the share modes the program promises: a reader lets
// others read but not write; a writer lets nobody else open the file.
#include "text/windows_api.h"

#include <cstdint>
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

bool WriteAllTo(HANDLE handle, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        DWORD put = 0;
        if (!WriteFile(handle, data, ChunkOf(size), &put, nullptr) || put == 0) return false;
        data += put;
        size -= put;
    }
    return true;
}

bool CloseOnce(HANDLE& handle) {
    if (handle == INVALID_HANDLE_VALUE) return true;
    const BOOL closed = CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    return closed != 0;
}

class Win32FileSource final : public ByteSource {
public:
    explicit Win32FileSource(HANDLE handle, std::uint64_t limit = UINT64_MAX) : handle_(handle), left_(limit) {}
    ~Win32FileSource() override { CloseHandle(handle_); }

    Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) override {
        DWORD got = 0;
        count = 0;
        if (!ReadFile(handle_, buffer, ChunkOf(capacity), &got, nullptr)) return Status::Error;
        if (got > left_) {
            SetLastError(ERROR_FILE_TOO_LARGE);  // grew past its bound while read
            return Status::Error;
        }
        left_ -= got;
        count = got;
        return got == 0 ? Status::End : Status::Data;
    }

private:
    HANDLE handle_;
    std::uint64_t left_;
};

class Win32FileSink final : public ByteSink {
public:
    Win32FileSink(HANDLE handle, std::wstring path) : handle_(handle), path_(std::move(path)) {}
    ~Win32FileSink() override { CloseFile(); }

    bool Write(const unsigned char* data, std::size_t size) override { return WriteAllTo(handle_, data, size); }

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
    bool CloseFile() { return CloseOnce(handle_); }

    HANDLE handle_;
    std::wstring path_;
};

// Writes the temporary file beside the destination and moves it over the
// destination on Commit. The old destination stays open, shared with
// nobody, until then, so that nobody else opens it meanwhile.
class Win32ReplacingSink final : public ByteSink {
public:
    Win32ReplacingSink(HANDLE handle, HANDLE held, std::wstring destination, std::wstring temporary)
        : handle_(handle), held_(held), destination_(std::move(destination)), temporary_(std::move(temporary)) {}
    ~Win32ReplacingSink() override { Discard(); }

    bool Write(const unsigned char* data, std::size_t size) override { return WriteAllTo(handle_, data, size); }

    // Read through the handle written to, never through the name. Each
    // read names its offset; it moves the file pointer, which is put back
    // at the end before the next write.
    std::unique_ptr<ByteSource> WrittenBytes() override {
        class Positional final : public ByteSource {
        public:
            explicit Positional(HANDLE handle) : handle_(handle) {}
            ~Positional() override {
                LARGE_INTEGER end{};
                SetFilePointerEx(handle_, end, nullptr, FILE_END);
            }
            Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) override {
                OVERLAPPED at{};
                at.Offset = static_cast<DWORD>(at_);
                at.OffsetHigh = static_cast<DWORD>(at_ >> 32);
                DWORD got = 0;
                const DWORD asked = capacity > 0x40000000 ? 0x40000000 : static_cast<DWORD>(capacity);
                count = 0;
                if (!ReadFile(handle_, buffer, asked, &got, &at))
                    return GetLastError() == ERROR_HANDLE_EOF ? Status::End : Status::Error;
                if (got == 0) return Status::End;
                count = got;
                at_ += got;
                return Status::Data;
            }

        private:
            HANDLE handle_;
            std::uint64_t at_ = 0;
        };
        if (handle_ == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<Positional>(handle_);
    }

    // The bytes reach the disk before the move can: after a power cut the
    // destination is the old file or the whole new one.
    bool Close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return closed_;
        const bool flushed = FlushFileBuffers(handle_) != 0;
        const bool closed = CloseOnce(handle_);
        closed_ = flushed && closed;
        return closed_;
    }

    bool Commit() override {
        if (!closed_ || committed_) return committed_;
        CloseOnce(held_);  // the move needs the old file free
        committed_ = MoveFileExW(temporary_.c_str(), destination_.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        return committed_;
    }

    void Discard() override {
        CloseOnce(handle_);
        if (!committed_) {
            DeleteFileW(temporary_.c_str());
            committed_ = true;  // nothing left to do
        }
        CloseOnce(held_);
    }

private:
    HANDLE handle_;
    HANDLE held_;  // the old destination, INVALID_HANDLE_VALUE when there was none
    std::wstring destination_;
    std::wstring temporary_;
    bool closed_ = false;
    bool committed_ = false;
};

// The path a handle's file has after every link was followed.
bool FinalPathOf(HANDLE handle, std::wstring& path) {
    const DWORD length = GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return false;
    path.assign(length, L'\0');
    const DWORD written =
        GetFinalPathNameByHandleW(handle, path.data(), length, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (written == 0 || written >= length) return false;
    path.resize(written);
    return true;
}

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const char* path) {
    const std::wstring wide = WidePath(path);
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32FileSource>(handle);
}

std::unique_ptr<ByteSource> OpenRegularFileSource(const char* path) {
    std::uint64_t size = 0;
    return OpenRegularFileSource(path, UINT64_MAX, size);
}

std::unique_ptr<ByteSource> OpenRegularFileSource(const char* path, std::uint64_t limit, std::uint64_t& size) {
    const std::wstring wide = WidePath(path);
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER length{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &length)) {
        CloseHandle(handle);
        SetLastError(ERROR_BAD_FILE_TYPE);  // read by LastFileProblem as NotRegular
        return nullptr;
    }
    size = static_cast<std::uint64_t>(length.QuadPart);
    if (size > limit) {
        CloseHandle(handle);
        SetLastError(ERROR_FILE_TOO_LARGE);
        return nullptr;
    }
    try {
        return std::make_unique<Win32FileSource>(handle, limit);
    } catch (...) {
        CloseHandle(handle);
        throw;
    }
}

std::unique_ptr<ByteSink> CreateReplacingFileSink(const char* path) {
    std::wstring destination = WidePath(path);
    const DWORD attributes = GetFileAttributesW(destination.c_str());
    const bool link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    // A read-only destination is refused, whoever runs the program (Wine
    // lets its root user open one for writing, Windows does not).
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    // An existing destination is opened as before, shared with nobody: a
    // folder, or a file someone else has open is refused.
    HANDLE held = CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (link || (error != ERROR_FILE_NOT_FOUND)) return nullptr;
    } else if (GetFileType(held) != FILE_TYPE_DISK || (link && !FinalPathOf(held, destination))) {
        CloseHandle(held);
        return nullptr;
    }
    std::wstring temporary = destination + WidePath(kTemporarySuffix);
    // The temporary file is created new (CREATE_NEW). A leftover of a killed
    // run at its name is deleted first, only when it is a plain file with no
    // other name that nobody has open; anything else there stays as it is.
    const DWORD leftover = GetFileAttributesW(temporary.c_str());
    if (leftover != INVALID_FILE_ATTRIBUTES) {
        bool removed = false;
        DWORD error = ERROR_FILE_EXISTS;  // anything but a plain leftover is another file's
        if ((leftover & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0) {
            HANDLE old = CreateFileW(temporary.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
            if (old != INVALID_HANDLE_VALUE) {
                BY_HANDLE_FILE_INFORMATION info{};
                FILE_DISPOSITION_INFO dispose{};
                dispose.DeleteFile = TRUE;
                removed = GetFileInformationByHandle(old, &info) && info.nNumberOfLinks == 1 &&
                          SetFileInformationByHandle(old, FileDispositionInfo, &dispose, sizeof dispose);
                CloseHandle(old);
            } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
                error = ERROR_SHARING_VIOLATION;  // a run still writing it
            }
        }
        if (!removed) {
            CloseOnce(held);
            SetLastError(error);
            return nullptr;
        }
    }
    HANDLE handle =
        CreateFileW(temporary.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        CloseOnce(held);
        return nullptr;
    }
    try {
        return std::make_unique<Win32ReplacingSink>(handle, held, std::move(destination), std::move(temporary));
    } catch (...) {
        CloseOnce(handle);
        DeleteFileW(temporary.c_str());
        CloseOnce(held);
        throw;
    }
}

std::unique_ptr<ByteSink> CreateFileSink(const char* path) {
    std::wstring wide = WidePath(path);
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32FileSink>(handle, std::move(wide));
}

}  // namespace textresgen
