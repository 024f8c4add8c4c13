// Finding, opening and checking the language libraries of a Catalog; the
// template in runtime.h only adds the structure's type.
#pragma once
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include <textresgen/runtime.h>
#include <textresgen/detail/platform.h>

namespace textresgen::detail {
namespace catalog_impl {

inline constexpr char kStampFunction[] = "TextResGenLayout";
inline constexpr char kInitFunction[] = "InitString";
// A stamp is a short ASCII string; a longer one is not ours.
inline constexpr std::size_t kLongestStamp = 256;
// Different libraries tried for the wanted tags before the fallback: a
// list of thousands (LANGUAGE is the user's to set) costs no more than this.
inline constexpr std::size_t kMostTried = 32;
// Bytes past the structure watched for writes by InitString: at least this,
// or the structure's own size when that is more. Beyond them the guard
// region of the Scratch stops a write.
inline constexpr std::size_t kLeastRoom = 64 * 1024;
inline constexpr unsigned char kCanary = 0xA5;

// True for what may not reach a terminal as it is: control characters (C0,
// DEL, C1) and the bidi controls, which can turn the rest of a line around.
inline bool Hidden(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

inline void AppendEscaped(std::string& shown, const std::string& bytes) {
    for (const unsigned char c : bytes) {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
        shown += escaped;
    }
}

// Text from a library (its loader's message, its stamp) and paths, safe to
// show: UTF-8 as it is (a folder under C:\Users\<a Japanese name> stays
// readable), but each character Hidden() names as the \xNN of its bytes;
// text that is not UTF-8 shows every byte outside printable ASCII so. The
// standard library reads the UTF-8 (fs::path's UTF-32 form, which refuses
// what is not UTF-8): the run-time library has no decoder of its own.
inline std::string Shown(const std::string& text) {
    std::u32string characters;
    bool utf8 = text.find('\0') == std::string::npos;
    if (utf8) {
        try {
            characters = std::filesystem::u8path(text).u32string();
        } catch (...) {  // not UTF-8 (std::filesystem::filesystem_error), or no memory for it
            utf8 = false;
        }
    }
    std::string shown;
    if (!utf8) {
        for (const char c : text) {
            if (Hidden(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80) {
                AppendEscaped(shown, std::string(1, c));
            } else {
                shown.push_back(c);
            }
        }
        return shown;
    }
    std::u32string run;  // characters shown as they are, not yet converted
    const auto flush = [&shown, &run] {
        shown += std::filesystem::path(run).u8string();
        run.clear();
    };
    for (const char32_t c : characters) {
        if (!Hidden(c)) {
            run.push_back(c);
            continue;
        }
        flush();
        AppendEscaped(shown, std::filesystem::path(std::u32string(1, c)).u8string());
    }
    flush();
    return shown;
}

inline std::string Shown(const std::filesystem::path& path) { return Shown(path.u8string()); }

// "" when each of `count` pointers at `members` is set; else which is not.
inline std::string CheckFilled(const unsigned char* members, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const wchar_t* member = nullptr;
        std::memcpy(&member, members + i * sizeof member, sizeof member);
        if (member == nullptr)
            return "its InitString leaves member " + std::to_string(i + 1) + " of " + std::to_string(count) +
                   " empty (another layout)";
    }
    return "";
}

// True when the `size` bytes at `bytes` all still hold kCanary: compared
// block by block with memcmp, fast in every build type.
inline bool Untouched(const unsigned char* bytes, std::size_t size) {
    static const std::array<unsigned char, 4096> block = [] {
        std::array<unsigned char, 4096> canaries;
        canaries.fill(kCanary);
        return canaries;
    }();
    for (std::size_t done = 0; done < size; done += block.size())
        if (std::memcmp(bytes + done, block.data(), (std::min)(block.size(), size - done)) != 0) return false;
    return true;
}

// The scratch memory of the last fill, kept for the next one: a fresh
// mapping for each Load costs page faults and an unmapping, which other
// threads of the application feel.
class SpareScratch {
public:
    static std::unique_ptr<Scratch> Take(std::size_t size) {
        {
            const std::lock_guard<std::mutex> lock(Mutex());
            if (Kept() != nullptr && Kept()->Size() >= size) return std::move(Kept());
        }
        return std::make_unique<Scratch>(size);
    }
    static void Keep(std::unique_ptr<Scratch> scratch) {
        const std::lock_guard<std::mutex> lock(Mutex());
        if (Kept() == nullptr || Kept()->Size() < scratch->Size()) Kept().swap(scratch);
    }

private:
    static std::mutex& Mutex() {
        static std::mutex mutex;
        return mutex;
    }
    static std::unique_ptr<Scratch>& Kept() {
        static std::unique_ptr<Scratch> kept;
        return kept;
    }
};

inline std::string FileName(const CatalogSettings& settings, const std::string& tag) {
    return settings.prefix + "_" + tag + LibrarySuffix();
}

// "" when the library carries the expected stamp; else why it is refused.
// `note` says that an unstamped library was let through.
inline std::string CheckStamp(const Library& library, const CatalogSettings& settings, const char* expected,
                       std::string& note) {
    const auto stamp = reinterpret_cast<const char* (*)()>(library.Find(kStampFunction));
    if (stamp == nullptr) {
        if (!settings.acceptUnstamped) return "it has no layout stamp (not built by textresgen_add_library, or too old)";
        note = "loaded without a layout stamp: its layout is unchecked";
        return "";
    }
    const char* found = stamp();
    if (found == nullptr || std::memchr(found, '\0', kLongestStamp) == nullptr)
        return "its layout stamp is not readable";
    if (std::strcmp(found, expected) != 0)
        return "it was built from another layout (" + Shown(std::string(found)) + ", the application expects " +
               expected + "): rebuild it from the current definitions";
    return "";
}

// The library `name` opened (checked before and by the loader), with the
// expected stamp and an InitString; else null, and `why` not.
inline std::shared_ptr<const Library> OpenStamped(const CatalogSettings& settings, const std::string& name,
                                           const char* fingerprint, std::string& why, std::string& note) {
    std::shared_ptr<const Library> library = Library::Open(settings.folder, name, why);
    if (library == nullptr) return nullptr;
    why = CheckStamp(*library, settings, fingerprint, note);
    if (why.empty() && library->Find(kInitFunction) == nullptr) why = "it exports no InitString";
    return why.empty() ? library : nullptr;
}

// True when the language tags `a` and `b` are the same, as lookup compares
// them: a match of the same length is the whole tag.
inline bool SameTag(const std::string& a, const std::string& b) {
    const std::string match = LookupLanguage({a}, {b}, "");
    return !match.empty() && a.size() == b.size();
}

// The base built into the application, in place of a library. Refused()
// says why, when anything was refused or the folder is missing; a base
// chosen while the folder is fine and nothing failed needs no word.
inline Opened Embedded(const CatalogSettings& settings, const std::string& base, const char* fingerprint, Opened opened) {
    std::error_code error;
    if (!std::filesystem::is_directory(settings.folder, error))
        opened.refused.push_back(Shown(settings.folder) + ": the languages folder is missing (or cannot be read)");
    if (!opened.refused.empty())
        opened.refused.push_back("the base built into the application (" + Shown(base) + ") is shown");
    opened.language = base;
    opened.embedded = EmbeddedBaseTexts(fingerprint);
    return opened;
}

}  // namespace catalog_impl
using namespace catalog_impl;

inline std::vector<std::string> UsableLanguages(const CatalogSettings& settings, const char* fingerprint) {
    std::vector<std::string> usable;
    for (std::string& tag : AvailableLanguages(settings)) {
        std::string why;
        std::string note;
        if (OpenStamped(settings, FileName(settings, tag), fingerprint, why, note)) usable.push_back(std::move(tag));
    }
    return usable;
}

inline std::vector<std::string> AvailableLanguages(const CatalogSettings& settings) {
    std::vector<std::string> tags;
    const std::string start = settings.prefix + "_";
    const std::string end = LibrarySuffix();
    std::error_code error;
    for (std::filesystem::directory_iterator entry(settings.folder, error), last; !error && entry != last;
         entry.increment(error)) {
        const std::string name = entry->path().filename().u8string();
        if (name.size() <= start.size() + end.size() || name.compare(0, start.size(), start) != 0 ||
            name.compare(name.size() - end.size(), end.size(), end) != 0)
            continue;
        std::string tag = name.substr(start.size(), name.size() - start.size() - end.size());
        if (IsLanguageTag(tag)) tags.push_back(std::move(tag));
    }
    std::sort(tags.begin(), tags.end());
    return tags;
}

inline Opened OpenFirst(const CatalogSettings& settings, const std::vector<std::string>& wanted, const char* fingerprint,
                 const std::function<std::string(Function initString)>& fill) {
    // A base built into the application counts as available in its language.
    const std::string base = EmbeddedBaseLanguage(fingerprint);
    const std::vector<std::string> onDisk = AvailableLanguages(settings);
    std::vector<std::string> available = onDisk;
    if (!base.empty() && std::none_of(onDisk.begin(), onDisk.end(), [&](const std::string& tag) { return SameTag(tag, base); }))
        available.push_back(base);

    // The order of lookup: every wanted tag's best match in turn, then the fallback.
    std::vector<std::string> order;
    for (auto tag = wanted.begin(); tag != wanted.end() && order.size() < kMostTried; ++tag) {
        const std::string match = LookupLanguage({*tag}, available, "");
        if (!match.empty() && std::find(order.begin(), order.end(), match) == order.end()) order.push_back(match);
    }
    if (std::find(order.begin(), order.end(), settings.fallback) == order.end()) order.push_back(settings.fallback);

    Opened opened;
    for (const std::string& tag : order) {
        // The base's language: its library, when the folder holds one (a
        // corrected base can be shipped that way), else the built-in base.
        const bool isBase = !base.empty() && SameTag(tag, base);
        if (isBase && std::find(onDisk.begin(), onDisk.end(), tag) == onDisk.end())
            return Embedded(settings, base, fingerprint, std::move(opened));
        const std::string name = FileName(settings, tag);
        const std::filesystem::path path = settings.folder / name;
        std::string why;
        std::string note;
        if (!IsLanguageTag(tag)) {
            why = "the fallback is not a language tag";
        } else if (auto library = OpenStamped(settings, name, fingerprint, why, note)) {
            why = fill(library->Find(kInitFunction));
            if (why.empty()) {
                if (!note.empty()) opened.refused.push_back(Shown(path) + ": " + note);
                opened.language = tag;
                opened.library = std::move(library);
                return opened;
            }
        }
        opened.refused.push_back(Shown(path) + ": " + Shown(why));
        if (isBase) return Embedded(settings, base, fingerprint, std::move(opened));
    }
    if (!base.empty()) return Embedded(settings, base, fingerprint, std::move(opened));
    std::string message = "no language library could be loaded";
    for (const std::string& line : opened.refused) message += "\n  " + line;
    throw LoadError(message);
}

inline std::string FillChecked(Function initString, std::size_t size, void (*call)(Function initString, void* where),
                        void* out) {
    // A library of a longer layout writes on past the structure: into the
    // watched room while it is not much longer, into the guard region (a
    // crash, but never into the heap) beyond.
    std::unique_ptr<Scratch> scratch = SpareScratch::Take(size + (std::max)(size, kLeastRoom));
    std::memset(scratch->Data(), kCanary, scratch->Size());
    std::string why;
    try {
        call(initString, scratch->Data());
    } catch (...) {
        // Caught here, while the library that threw is still loaded: its
        // exception's type and destructor may live in it.
        why = "its InitString throws an exception";
    }
    if (why.empty() && !Untouched(scratch->Data() + size, scratch->Size() - size))
        why = "its InitString writes past the application's structure: built from another layout";
    if (why.empty()) {
        std::memcpy(out, scratch->Data(), size);
        why = CheckFilled(scratch->Data(), size / sizeof(const wchar_t*));
    }
    SpareScratch::Keep(std::move(scratch));
    return why;
}

}  // namespace textresgen::detail
