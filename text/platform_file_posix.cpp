// POSIX files. There are no share modes here, so advisory locks stand in for
// them: a reader holds a shared flock, a writer an exclusive one, and an open
// that meets a conflicting lock fails as a Windows sharing violation would.
// Processes that do not take locks are not stopped.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "text/platform_file.h"

namespace textresgen {
namespace {

bool TakeLock(int fd, int operation) {
    while (flock(fd, operation | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        // Only a lock held by someone else refuses the open; a file system
        // without lock support is used unlocked.
        return errno != EWOULDBLOCK;
    }
    return true;
}

class PosixFileSource final : public ByteSource {
public:
    explicit PosixFileSource(int fd) : fd_(fd) {}
    ~PosixFileSource() override { ::close(fd_); }

    Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, capacity);
            if (got > 0) {
                count = static_cast<std::size_t>(got);
                return Status::Data;
            }
            count = 0;
            if (got == 0) return Status::End;
            if (errno != EINTR) return Status::Error;
        }
    }

private:
    int fd_;
};

class PosixFileSink final : public ByteSink {
public:
    PosixFileSink(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixFileSink() override { CloseHandle(); }

    bool Write(const unsigned char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t put = ::write(fd_, data, size);
            if (put < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (put == 0) return false;
            data += put;
            size -= static_cast<std::size_t>(put);
        }
        return true;
    }

    bool Close() override { return CloseHandle(); }

    void Discard() override {
        // Only a regular file is removed: a device or a link put in the
        // output's place belongs to someone else. Where it cannot be removed
        // (a folder without write permission), it is emptied instead, so that
        // no file that looks complete but is not stays behind.
        struct stat info {};
        const bool known = fd_ >= 0 ? ::fstat(fd_, &info) == 0 : ::lstat(path_.c_str(), &info) == 0;
        if (known && S_ISREG(info.st_mode) && !RemoveOwnFile(info)) Empty();
        CloseHandle();
    }

private:
    // Removes the path when it still names the open file; true when it is gone.
    bool RemoveOwnFile(const struct stat& open) const {
        struct stat named {};
        if (::lstat(path_.c_str(), &named) != 0 || named.st_dev != open.st_dev || named.st_ino != open.st_ino)
            return true;  // the name is no longer ours: nothing of ours to remove there
        return ::unlink(path_.c_str()) == 0;
    }

    void Empty() {
        int fd = fd_;
        if (fd < 0) fd = ::open(path_.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return;
        while (::ftruncate(fd, 0) != 0 && errno == EINTR) {
        }
        if (fd != fd_) ::close(fd);
    }

    bool CloseHandle() {
        if (fd_ < 0) return true;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

    int fd_;
    std::string path_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (!TakeLock(fd, LOCK_SH)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFileSource>(fd);
}

std::unique_ptr<ByteSink> CreateFileSink(const char* path) {
    // Not O_TRUNC: the file is emptied only once the lock is ours. An empty
    // file is left alone: truncating it changes nothing, but on ext4 it
    // would make closing the file start writing back everything written to
    // it (the safeguard for programs that replace a file's content in place).
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat info {};
    const bool ok = TakeLock(fd, LOCK_EX) && ::fstat(fd, &info) == 0 &&
                    (!S_ISREG(info.st_mode) || info.st_size == 0 || ::ftruncate(fd, 0) == 0);
    if (!ok) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFileSink>(fd, path);
}

bool RenameOver(const char* from, const char* to) { return std::rename(from, to) == 0; }

}  // namespace textresgen
