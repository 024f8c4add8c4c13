#pragma once

#include <string_view>

namespace textresgen {

// Why OpenFileSource, CreateFileSink or CreateReplacingFileSink failed, as
// far as the system tells.
enum class FileProblem {
    Other,
    Missing,  // the file, or a folder on its path, does not exist
    InUse,    // another program holds it open (a sharing violation, a lock)
    Denied,   // no permission, or read-only
    NotRegular,  // a folder, a FIFO, a socket or a device where a file was wanted
    TooLarge,    // past a program's bound on reading, or the file size limit on writing
    DiskFull,    // no space left, or the disk quota used up
    IoError,     // the disk or the network failed
    Occupied,    // the temporary name beside an output is taken by another file
};

// The problem of the last of those calls that failed on this thread; ask
// right after the failure, before any other file call.
FileProblem LastFileProblem();

// Whether another program holds the existing file open without sharing it
// (Windows) or under a lock (POSIX flock), asked after an operation failed
// with a less telling error: replacing a file in use fails on Windows as
// "access denied" on some systems.
bool FileInUse(const char* path);

// True on Windows when the last part of the path names a device rather than
// a file: CON, PRN, AUX, NUL, COM1-COM9 or LPT1-LPT9, in any case, with any
// extension or trailing blanks ("con.po", "Nul.txt", "out\\LPT1.xlf").
// Opening such a path reaches the device: writing "con.po" prints the file
// on the console. Always false elsewhere, where these are ordinary names.
bool NamesDevice(std::string_view path);

// The rule NamesDevice applies on Windows, answered on every platform.
bool IsWindowsDeviceName(std::string_view path);

}  // namespace textresgen
