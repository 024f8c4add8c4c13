#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Whole-file reading and all-or-nothing writing for textresl10n.
namespace textresl10n {

// Files larger than this are refused: no exchange file of string resources
// comes near it, and the limit bounds the memory a hostile file can take.
inline constexpr std::size_t kMaxInputBytes = 256u * 1024 * 1024;

enum class ReadStatus { Read, Missing, InUse, Device, Failed, TooLarge };

// The message for a path that names a device of Windows.
extern const char* const kDeviceName;

// Reads the whole file, at most kMaxInputBytes. A name of a Windows device
// (CON, NUL, ...) is refused there before anything is opened.
ReadStatus ReadWholeFile(const std::string& path, std::string& bytes);
// Why a read failed, as a message fragment.
std::string DescribeReadStatus(ReadStatus status);

// Writes `bytes` to a temporary file beside `path`, then renames it over
// `path`: `path` holds either its old bytes or all of the new ones, never a
// part. A link is followed (the file it leads to is replaced, the link
// stays) and the replacement keeps the replaced file's permissions. Not
// Written when that failed; `path` is then as it was and the temporary file
// is gone.
enum class WriteStatus { Written, InUse, Device, Failed };
WriteStatus WriteFileReplacing(const std::string& path, std::string_view bytes);

}  // namespace textresl10n
