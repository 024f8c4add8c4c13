#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "text/byte_stream.h"

// Whole-file reading and all-or-nothing writing for textresl10n.
namespace textresl10n {

// Files larger than this are refused: no exchange file of string resources
// comes near it, and the limit bounds the memory a hostile file can take.
inline constexpr std::size_t kMaxInputBytes = 256u * 1024 * 1024;

// The message for a path that names a device of Windows.
extern const std::string kDeviceName;

// Reads the whole file, at most kMaxInputBytes: only a regular file, opened
// without waiting (text/platform_file.h: OpenRegularFileSource). A name of a
// Windows device (CON, NUL, ...) is refused there before anything is opened.
// False when it cannot be read, with why in `problem` (a message fragment).
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& problem);

// How replacing a file (ReplacingFile) ended: Written, or why not; `path` is
// then as it was and no temporary file is left.
enum class WriteStatus { Written, InUse, Device, Failed, DiskFull, IoError, TooLarge, Occupied };
// Why a write failed, as a message fragment; also what became of the file.
std::string DescribeWriteStatus(WriteStatus status);

// A file replaced whole through the one replacing sink (text/platform_file.h:
// a temporary file beside it, renamed over it; a link's target replaced, its
// permissions kept), written piece by piece. The temporary file is opened
// at once; after the first failure every later call does nothing, and
// Commit says what failed. Destroyed before Commit, it removes the temporary
// file and leaves `path` as it was.
class ReplacingFile {
public:
    explicit ReplacingFile(const std::string& path);
    void Write(std::string_view bytes);
    // Puts the file in place of `path`.
    WriteStatus Commit();
    // Whether a write (or making the file) failed already.
    bool Failed() const { return status_ != WriteStatus::Written; }
    // What was written so far (ByteSink::WrittenBytes); null after a failure.
    std::unique_ptr<textresgen::ByteSource> WrittenBytes() { return sink_ ? sink_->WrittenBytes() : nullptr; }

private:
    void Fail();

    std::string path_;
    std::unique_ptr<textresgen::ByteSink> sink_;
    WriteStatus status_ = WriteStatus::Written;
};

// A file made anew from one read before (`before`, its bytes), written
// piece by piece into a ReplacingFile of its path, telling whether the new
// bytes are the old ones: a caller then leaves the file as it was, and the
// new one, never committed, goes.
class RewrittenFile {
public:
    RewrittenFile(const std::string& path, std::string_view before) : file_(path), before_(before) {}
    void Write(std::string_view bytes) {
        same_ = same_ && before_.substr(at_, bytes.size()) == bytes;
        at_ += bytes.size();
        file_.Write(bytes);
    }
    bool Unchanged() const { return same_ && at_ == before_.size(); }
    ReplacingFile& File() { return file_; }

private:
    ReplacingFile file_;
    std::string_view before_;
    std::size_t at_ = 0;
    bool same_ = true;
};

// A sink that writes into `file` (which must outlive it), for a writer that
// makes a file too large to hold whole; its Close and Discard do nothing:
// the file's Commit decides.
std::unique_ptr<textresgen::ByteSink> SinkInto(ReplacingFile& file);

}  // namespace textresl10n
