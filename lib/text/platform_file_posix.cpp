// POSIX files. There are no share modes here, so advisory locks stand in for
// them: a reader holds a shared flock, a writer an exclusive one, and an open
// that meets a conflicting lock fails as a Windows sharing violation would.
// Processes that do not take locks are not stopped.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
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

bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
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

bool CloseDescriptor(int& fd) {
    if (fd < 0) return true;
    const int result = ::close(fd);
    fd = -1;
    return result == 0;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

class PosixFileSource final : public ByteSource {
public:
    explicit PosixFileSource(int fd, std::uint64_t limit = UINT64_MAX) : fd_(fd), left_(limit) {}
    ~PosixFileSource() override { ::close(fd_); }

    Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, capacity);
            if (got > 0) {
                count = static_cast<std::size_t>(got);
                if (count > left_) {
                    count = 0;
                    errno = EFBIG;  // grew past its bound while read
                    return Status::Error;
                }
                left_ -= count;
                return Status::Data;
            }
            count = 0;
            if (got == 0) return Status::End;
            if (errno != EINTR) return Status::Error;
        }
    }

private:
    int fd_;
    std::uint64_t left_;
};

class PosixFileSink final : public ByteSink {
public:
    PosixFileSink(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixFileSink() override { CloseHandle(); }

    bool Write(const unsigned char* data, std::size_t size) override { return WriteAll(fd_, data, size); }

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

    bool CloseHandle() { return CloseDescriptor(fd_); }

    int fd_;
    std::string path_;
};

// Writes the temporary file beside the destination and renames it over the
// destination on Commit. The old destination, when there is one, stays open
// and locked until then, so that another writer is refused as before.
class ReplacingFileSink final : public ByteSink {
public:
    ReplacingFileSink(int fd, const struct stat& own, int held, std::string destination, std::string temporary)
        : fd_(fd), own_(own), held_(held), destination_(std::move(destination)), temporary_(std::move(temporary)) {}
    ~ReplacingFileSink() override { Discard(); }

    bool Write(const unsigned char* data, std::size_t size) override { return WriteAll(fd_, data, size); }

    // Read through the descriptor written to (by position, which writes do
    // not move), never through the name, which another program could
    // point elsewhere meanwhile.
    std::unique_ptr<ByteSource> WrittenBytes() override {
        class Positional final : public ByteSource {
        public:
            explicit Positional(int fd) : fd_(fd) {}
            Status Read(unsigned char* buffer, std::size_t capacity, std::size_t& count) override {
                for (;;) {
                    const ssize_t got = ::pread(fd_, buffer, capacity, at_);
                    count = got > 0 ? static_cast<std::size_t>(got) : 0;
                    if (got > 0) at_ += got;
                    if (got > 0) return Status::Data;
                    if (got == 0) return Status::End;
                    if (errno != EINTR) return Status::Error;
                }
            }

        private:
            int fd_;
            off_t at_ = 0;
        };
        if (fd_ < 0) return nullptr;
        return std::make_unique<Positional>(fd_);
    }

    // The bytes reach the disk before the rename can: after a power cut the
    // destination is the old file or the whole new one.
    bool Close() override {
        if (fd_ < 0) return closed_;
        int synced;
        while ((synced = ::fsync(fd_)) != 0 && errno == EINTR) {
        }
        const bool closed = CloseDescriptor(fd_);
        closed_ = synced == 0 && closed;
        return closed_;
    }

    bool Commit() override {
        if (!closed_ || committed_) return committed_;
        committed_ = ::rename(temporary_.c_str(), destination_.c_str()) == 0;
        if (committed_) CloseDescriptor(held_);
        return committed_;
    }

    void Discard() override {
        CloseDescriptor(fd_);
        if (!committed_) {
            // Removed only while the name is still our file: a run that
            // took it over after us must keep it.
            struct stat named {};
            if (::lstat(temporary_.c_str(), &named) == 0 && SameFile(named, own_)) ::unlink(temporary_.c_str());
            committed_ = true;  // nothing left to do
        }
        CloseDescriptor(held_);
    }

private:
    int fd_;
    struct stat own_;
    int held_;  // the old destination, -1 when there was none
    std::string destination_;
    std::string temporary_;
    bool closed_ = false;
    bool committed_ = false;
};

// The file an output path leads to: the path itself, or for a link the
// final target of its chain. False when that cannot be told (a dangling
// link, a loop).
bool ResolveOutput(const char* path, std::string& resolved) {
    struct stat info {};
    if (::lstat(path, &info) != 0) {
        resolved = path;
        return errno == ENOENT;
    }
    if (!S_ISLNK(info.st_mode)) {
        resolved = path;
        return true;
    }
    const std::unique_ptr<char, void (*)(void*)> real(::realpath(path, nullptr), std::free);
    if (!real) {
        if (errno == ENOMEM) throw std::bad_alloc();
        return false;
    }
    resolved = real.get();
    return true;
}

// Opens an existing file without waiting (a FIFO blocks an ordinary open
// until its other end is opened) and keeps it only when it is a regular file.
int OpenRegular(const char* path, int flags, struct stat& info) {
    const int fd = ::open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status != -1) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

// Creates the temporary file new (O_EXCL: never a file another name holds,
// never through a link). A leftover of a killed run at the name is removed
// first, only when it is that and nothing else: a regular file with no other
// name (a hard link there is another file's) that no running run holds.
// Removing the name never touches another file's bytes. Anything else there
// is refused (EEXIST) and left as it is.
int CreateTemporary(const char* temporary, struct stat& own) {
    struct stat named {};
    if (::lstat(temporary, &named) == 0) {
        if (!S_ISREG(named.st_mode) || named.st_nlink != 1) {
            errno = EEXIST;
            return -1;
        }
        const int leftover = ::open(temporary, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
        if (leftover < 0) return -1;
        struct stat opened {};
        const bool ours = ::fstat(leftover, &opened) == 0 && SameFile(opened, named) && opened.st_nlink == 1;
        const bool free = ours && TakeLock(leftover, LOCK_EX);
        const bool removed = free && ::unlink(temporary) == 0;
        const int error = !ours ? EEXIST : errno;  // a lock held elsewhere, or why unlink failed
        ::close(leftover);
        if (!removed) {
            errno = error;
            return -1;
        }
    } else if (errno != ENOENT) {
        return -1;
    }
    // Read and write: WrittenBytes reads it back before it is committed.
    const int fd = ::open(temporary, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    if (!TakeLock(fd, LOCK_EX) || ::fstat(fd, &own) != 0) {
        const int error = errno;
        ::unlink(temporary);
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

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

std::unique_ptr<ByteSource> OpenRegularFileSource(const char* path) {
    std::uint64_t size = 0;
    return OpenRegularFileSource(path, UINT64_MAX, size);
}

std::unique_ptr<ByteSource> OpenRegularFileSource(const char* path, std::uint64_t limit, std::uint64_t& size) {
    // Looked at before it is opened: opening a device may do something.
    struct stat info {};
    if (::stat(path, &info) != 0) return nullptr;
    if (!S_ISREG(info.st_mode)) {
        errno = ENODEV;  // read by LastFileProblem as NotRegular
        return nullptr;
    }
    const int fd = OpenRegular(path, O_RDONLY, info);
    if (fd < 0) {
        if (errno == EINVAL) errno = ENODEV;  // swapped for something else meanwhile
        return nullptr;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    if (size > limit) {
        ::close(fd);
        errno = EFBIG;
        return nullptr;
    }
    if (!TakeLock(fd, LOCK_SH)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFileSource>(fd, limit);
}

std::unique_ptr<ByteSink> CreateReplacingFileSink(const char* path) {
    std::string destination;
    if (!ResolveOutput(path, destination)) return nullptr;
    std::string temporary = destination + kTemporarySuffix;
    // An existing destination must be a regular file this process may write
    // and nobody else holds; it is opened (not truncated) to find that out
    // and to hold it until it is replaced.
    int held = -1;
    struct stat old {};
    if (::stat(destination.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) return nullptr;
        // Read-only for everyone is refused for root too, who may write it.
        if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            errno = EACCES;
            return nullptr;
        }
        held = OpenRegular(destination.c_str(), O_WRONLY | O_NOFOLLOW, old);
        if (held < 0 || !TakeLock(held, LOCK_EX)) {
            CloseDescriptor(held);
            return nullptr;
        }
    } else if (errno != ENOENT) {
        return nullptr;
    }
    struct stat own {};
    int fd = CreateTemporary(temporary.c_str(), own);
    if (fd < 0) {
        const int error = errno;
        CloseDescriptor(held);
        errno = error;
        return nullptr;
    }
    // The replacement keeps the permissions of the file it replaces.
    if (held >= 0) static_cast<void>(::fchmod(fd, old.st_mode & 07777));
    try {
        return std::make_unique<ReplacingFileSink>(fd, own, held, std::move(destination), std::move(temporary));
    } catch (...) {
        ::unlink(temporary.c_str());
        CloseDescriptor(fd);
        CloseDescriptor(held);
        throw;
    }
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

}  // namespace textresgen
