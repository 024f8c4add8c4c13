// Linux, macOS and other POSIX systems: a candidate library opened and
// checked, then loaded with dlopen; guarded memory (mmap); the
// environment's languages (macOS asks CoreFoundation instead).
#pragma once
#ifndef _WIN32

#include <dlfcn.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <system_error>

#include <textresgen/detail/library_headers.h>
#include <textresgen/runtime.h>
#include <textresgen/detail/platform.h>

#ifdef __APPLE__
#include <CoreFoundation/CoreFoundation.h>
#include <mach-o/dyld.h>
#endif

namespace textresgen {
namespace detail {

namespace platform_posix_impl {

namespace fs = std::filesystem;

inline std::size_t PageSize() {
    const long page = sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<std::size_t>(page) : 4096;
}

inline std::string NotAFile(mode_t mode) {
    if (S_ISFIFO(mode)) return "it is a FIFO (named pipe), not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
    if (S_ISDIR(mode)) return "it is a folder, not a file";
    if (S_ISSOCK(mode)) return "it is a socket, not a file";
    return "it is not a regular file";
}

// The C locale for the calling thread while it lives: glibc translates
// the messages of dlerror and strerror through every language of LANGUAGE,
// at a cost that grows with its length (10,000 entries: some 0.3 s for one
// message); in the C locale it translates none.
class UntranslatedMessages {
public:
    UntranslatedMessages() {
#ifdef __GLIBC__
        c_ = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        if (c_ != static_cast<locale_t>(0)) old_ = uselocale(c_);
#endif
    }
    ~UntranslatedMessages() {
#ifdef __GLIBC__
        if (c_ != static_cast<locale_t>(0)) {
            uselocale(old_);
            freelocale(c_);
        }
#endif
    }
    UntranslatedMessages(const UntranslatedMessages&) = delete;
    UntranslatedMessages& operator=(const UntranslatedMessages&) = delete;

private:
#ifdef __GLIBC__
    locale_t c_ = static_cast<locale_t>(0);
    locale_t old_ = static_cast<locale_t>(0);
#endif
};

inline std::string ErrorText(int error) {
    const UntranslatedMessages untranslated;
    return std::generic_category().message(error);
}

// True when `file` lies in `folder` or below it (both canonical).
inline bool Inside(const fs::path& file, const fs::path& folder) {
    auto f = file.begin();
    for (auto d = folder.begin(); d != folder.end(); ++d, ++f)
        if (f == file.end() || *f != *d) return false;
    return f != file.end();
}

inline bool ReadAll(int file, std::uint64_t offset, void* into, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(into);
    while (size > 0) {
        const ssize_t got = pread(file, bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        offset += static_cast<std::uint64_t>(got);
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

#ifndef __APPLE__
// The ELF header of the image this code was linked into, as mapped: its
// machine is the running program's.
inline const unsigned char* OwnImage() {
    static const char anchor = 0;
    Dl_info info;
    if (dladdr(&anchor, &info) == 0 || info.dli_fbase == nullptr) return nullptr;
    return static_cast<const unsigned char*>(info.dli_fbase);
}
#endif

// The file that `path` names, opened without following a link and without
// blocking (a FIFO would block in open until someone writes). A link is
// followed by hand, and only to a target inside `folder`; `real` is then
// the target.
inline int OpenInFolder(const fs::path& folder, const fs::path& path, fs::path& real, std::string& why) {
    struct stat link;
    if (lstat(path.c_str(), &link) != 0) {
        why = errno == ENOENT ? "it does not exist" : "it cannot be read: " + ErrorText(errno);
        return -1;
    }
    real = path;
    if (S_ISLNK(link.st_mode)) {
        std::error_code error;
        const fs::path home = fs::canonical(folder, error);
        if (!error) real = fs::canonical(path, error);
        if (error) {
            why = "it is a link to nothing that can be read";
            return -1;
        }
        if (!Inside(real, home)) {
            why = "it is a link to a file outside the languages folder (" + real.string() + ")";
            return -1;
        }
    }
    const int file = open(real.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0) why = "it cannot be opened: " + ErrorText(errno);
    return file;
}

// Hands the loader `path`, the file checked (and still held open), and
// makes sure afterwards that the file there is still that one: a file put
// in its place between the check and the load is refused (a damaged one may
// crash the loader first; only who can write in the languages folder can do
// that, and such a one can put any code there anyway). Not /proc/self/fd/N:
// the loader knows a library by every name it was asked for, and a
// descriptor's number names another file each time, so a library it still
// holds would be handed out for a later file given the same number.
inline void* LoadChecked(const struct stat& checked, const fs::path& path, std::string& why) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const UntranslatedMessages untranslated;
        const char* error = dlerror();
        std::string message = error != nullptr ? error : "";
        const std::string name = path.string() + ": ";
        if (message.compare(0, name.size(), name) == 0) message.erase(0, name.size());
        why = "the system's loader refuses it" + (message.empty() ? "" : ": " + message);
        return nullptr;
    }
    struct stat now;
    if (stat(path.c_str(), &now) != 0 || now.st_dev != checked.st_dev || now.st_ino != checked.st_ino) {
        dlclose(handle);
        why = "it was replaced while it was being loaded";
        return nullptr;
    }
    return handle;
}

}  // namespace platform_posix_impl
using namespace platform_posix_impl;

inline std::shared_ptr<const Library> Library::Open(const fs::path& folder, const std::string& name, std::string& why) {
    const fs::path path = folder / name;
    fs::path real;
    const int file = OpenInFolder(folder, path, real, why);
    if (file < 0) return nullptr;
    struct stat status;
    if (fstat(file, &status) != 0) {
        why = "it cannot be read: " + ErrorText(errno);
    } else if (!S_ISREG(status.st_mode)) {
        why = NotAFile(status.st_mode);
    } else {
#ifndef __APPLE__
        // macOS: Mach-O files, left to dyld's own checks.
        why = CheckElfHeaders([file](std::uint64_t offset, void* into,
                                     std::size_t size) { return ReadAll(file, offset, into, size); },
                              static_cast<std::uint64_t>(status.st_size), OwnImage());
#endif
    }
    void* handle = why.empty() ? LoadChecked(status, real, why) : nullptr;
    close(file);
    if (handle == nullptr) return nullptr;
    return std::shared_ptr<const Library>(new Library(handle));
}

inline Library::~Library() { dlclose(handle_); }

inline Scratch::Scratch(std::size_t size) {
    const std::size_t page = PageSize();
    size_ = (size + page - 1) / page * page;
    reserved_ = size_ + kGuardBytes;
    void* memory = mmap(nullptr, reserved_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    data_ = static_cast<unsigned char*>(memory);
    if (mprotect(data_ + size_, kGuardBytes, PROT_NONE) != 0) {
        munmap(memory, reserved_);
        throw std::bad_alloc();
    }
}

inline Scratch::~Scratch() { munmap(data_, reserved_); }

inline Function Library::Find(const char* name) const {
    // POSIX guarantees that a function's address survives the trip through void*.
    return reinterpret_cast<Function>(dlsym(handle_, name));
}

inline const char* LibrarySuffix() {
#ifdef __APPLE__
    return ".dylib";
#else
    return ".so";
#endif
}

}  // namespace detail

#ifdef __APPLE__
inline std::vector<std::string> PreferredLanguages() {
    std::vector<std::string> tags;
    CFArrayRef languages = CFLocaleCopyPreferredLanguages();
    if (languages == nullptr) return tags;
    for (CFIndex i = 0; i < CFArrayGetCount(languages); ++i) {
        const auto name = static_cast<CFStringRef>(CFArrayGetValueAtIndex(languages, i));
        char buffer[128];
        if (CFStringGetCString(name, buffer, sizeof buffer, kCFStringEncodingUTF8) && IsLanguageTag(buffer))
            tags.emplace_back(buffer);
    }
    CFRelease(languages);
    return tags;
}

inline std::filesystem::path FolderOfThisProgram() {
    std::uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string path(size, '\0');
    if (_NSGetExecutablePath(path.data(), &size) != 0) return {};
    std::error_code error;
    const std::filesystem::path program = std::filesystem::canonical(path.c_str(), error);
    return error ? std::filesystem::path() : program.parent_path();
}
#else
inline std::vector<std::string> PreferredLanguages() {
    return LanguagesFromEnvironment([](const char* name) { return std::getenv(name); });
}

inline std::filesystem::path FolderOfThisProgram() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}
#endif

}  // namespace textresgen

#endif
