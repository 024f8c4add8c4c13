// The run-time half of textresgen: an application finds the language
// libraries that textresgen_add_library built, picks the one the user
// prefers, checks that it was built from the layout of the application's
// TextResource, and fills the structure from it. Needs only the standard
// library and the platform's loader.
//
//   #include <textresgen/runtime.h>
//   #include "textresouce_layout.h"   // the layout's fingerprint, beside textresouce.h
//
//   textresgen::Catalog<TextResource> catalog(textresgen::FolderOfThisProgram() / "languages", "notes", "en");
//   auto texts = catalog.Load(textresgen::PreferredLanguages());
//   std::cout << texts->Utf8().App.Title << '\n';   // UTF-8; Get() has the wide texts
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <textresgen/format.h>
#include <textresgen/messages.h>
#include <textresgen/plural.h>

namespace textresgen {

// ---- Language tags ---------------------------------------------------------

// True when `tag` is a well-formed BCP 47 language tag ("de", "de-AT",
// "sr-Latn-RS", "x-pirate"): letters, digits and '-' in the shape the
// standard gives, at most 64 characters. Only such tags become part of a
// file name.
bool IsLanguageTag(std::string_view tag);

// The BCP 47 form of a POSIX locale name: "de_AT.UTF-8@euro" -> "de-AT",
// "sr_RS@latin" -> "sr-Latn-RS". Empty when it has none ("C", "POSIX",
// "C.UTF-8", garbage, anything that would not be a well-formed tag).
std::string LanguageTagOfLocale(std::string_view locale);

// The user's preferred UI languages, best first, as BCP 47 tags:
// {"de-AT", "de", "en"}. Windows: GetUserPreferredUILanguages. macOS:
// CFLocaleCopyPreferredLanguages. Elsewhere the environment, as gettext
// reads it (LanguagesFromEnvironment).
std::vector<std::string> PreferredLanguages();

// The POSIX rule, with `variable` reading the environment: the locale is the
// first non-empty of LC_ALL, LC_MESSAGES and LANG; when it is the C locale
// (or none is set) the list is empty. Otherwise LANGUAGE, a colon-separated
// list, comes first, then the locale itself. Each entry goes through
// LanguageTagOfLocale; entries without a tag are skipped, repeats dropped.
std::vector<std::string> LanguagesFromEnvironment(const std::function<const char*(const char* name)>& variable);

// RFC 4647 lookup: for each wanted tag in turn, that tag and then ever
// shorter prefixes of it ("de-Latn-AT", "de-Latn", "de"; a singleton is
// dropped with what follows it) are compared with the available tags,
// without regard to case; the first match, as spelled in `available`, is
// returned. `fallback` when none matches. Wanted tags that are not
// well-formed, and "*", are passed over.
std::string LookupLanguage(const std::vector<std::string>& wanted, const std::vector<std::string>& available,
                           const std::string& fallback);

// The folder of the running program's executable (absolute), for finding
// the language folder installed beside it. Empty when the system does not say.
std::filesystem::path FolderOfThisProgram();

// ---- Loading ---------------------------------------------------------------

// Not even the fallback language could be loaded. what() names every file
// tried and why it was refused.
class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The layout fingerprint of a generated structure: textresouce_layout.h,
// written beside textresouce.h, specialises it for TextResource.
template <class Texts>
struct LayoutOf;

// The UTF-8 twin of a generated structure (the same nesting, `const char*`
// members), which Loaded::Utf8() fills: textresouce_messages.h, written
// beside textresouce.h, specialises it for TextResource.
template <class Texts>
struct Utf8Of;

namespace detail {

class Library;  // a loaded language library; unloaded when the last owner lets go

struct CatalogSettings {
    std::filesystem::path folder;  // absolute
    std::string prefix;
    std::string fallback;
    bool acceptUnstamped = false;
};

// A function of a library, before it is cast to its real type.
using Function = void (*)();

// One language library, opened and checked, ready to fill a structure; or,
// with `embedded` set, the base built into the application (no library).
struct Opened {
    std::string language;
    std::shared_ptr<const Library> library;
    std::vector<std::string> refused;
    const void* embedded = nullptr;  // the base's filled structure
};

// ---- The base built into the application (detail/embedded_base.h) ----

// The function that textresgen_add_library(... EMBED_IN <app>) compiles into
// the application: the base's structure, filled on the first call.
using EmbeddedTexts = const void* (*)();

// Registers the base of the layout `fingerprint` in the language `tag`;
// called before main by the source EMBED_IN generates. A second base of the
// same layout replaces the first (textresgen_add_library lets an application
// embed one base).
bool RegisterEmbeddedBase(const char* fingerprint, const char* tag, EmbeddedTexts texts);

// The language tag of the base registered for `fingerprint`; empty when none is.
std::string EmbeddedBaseLanguage(const char* fingerprint);

// The filled structure of the base registered for `fingerprint` (a
// TextResource with that fingerprint, valid until the program ends), or
// null when none is.
const void* EmbeddedBaseTexts(const char* fingerprint);

// ---- UTF-8 texts (detail/utf8_texts.h) ----

// One buffer: first the UTF-8 structure that `construct` places at its start
// (`count` pointers, zeroed), then the UTF-8 form of the `count` texts of the
// structure at `members` (UTF-16 or UTF-32 `const wchar_t*`, in declaration
// order), each ending in '\0', with the structure's pointers set to them.
// Never fails on a text: a lone surrogate or a value past U+10FFFF becomes
// U+FFFD. Throws std::bad_alloc.
std::unique_ptr<char[]> Utf8Copy(const unsigned char* members, std::size_t count, void (*construct)(void* where));

// Loaded's UTF-8 texts, made once. A copy of a Loaded makes its own.
struct Utf8Cache {
    std::once_flag once;
    std::unique_ptr<char[]> buffer;  // the UTF-8 structure, then its texts
    Utf8Cache() = default;
    Utf8Cache(const Utf8Cache&) {}
    Utf8Cache& operator=(const Utf8Cache&) = delete;
};

// The tags of the language libraries in the folder, sorted.
std::vector<std::string> AvailableLanguages(const CatalogSettings& settings);

// Those of them that Load would take, as far as can be told without running
// them: each loaded once, past the file checks and the loader, stamped with
// `fingerprint` (or unstamped and accepted), exporting InitString.
std::vector<std::string> UsableLanguages(const CatalogSettings& settings, const char* fingerprint);

// Opens the candidates in the order of LookupLanguage (the first 32
// different libraries that the wanted tags match), then the fallback, each
// checked before the loader sees it, until one has the expected stamp and
// an InitString; `fill` then fills the caller's structure from it and
// returns "" or why it refuses the result (the library is then unloaded and
// the next candidate tried). Throws LoadError when none is left.
Opened OpenFirst(const CatalogSettings& settings, const std::vector<std::string>& wanted, const char* fingerprint,
                 const std::function<std::string(Function initString)>& fill);

// Runs `initString` through `call` (which knows the structure's type) on a
// zeroed structure of `size` bytes placed in memory of its own, watched
// beyond its end and followed by a guard region, and copies the result to
// `out`. "" or why it is refused: InitString threw, wrote past the
// structure, or left a member empty.
std::string FillChecked(Function initString, std::size_t size, void (*call)(Function initString, void* where),
                        void* out);

// What the load check did to a structure: why each replaced member was
// replaced ("<Dotted.Name>: <reason>"), and what keeps loaded the library
// whose texts replaced some.
struct CheckedTexts {
    std::vector<std::string> problems;
    std::shared_ptr<const void> base;
};

// The signature of a text's directives: PrintfSignature, or a test's own.
using SignatureFunction = std::string (*)(std::wstring_view text);

// The signature each entry of a BaseTextsOf table expects of its members
// (the signature of its reference's base text; "!" for one that is not
// compared), entries up to the one whose index is `members`.
std::vector<std::string> ExpectedSignatures(const BaseText* table, std::size_t members, SignatureFunction signature);

// The load check: each of the `members` texts at `texts` whose signature
// differs from the base's is replaced, by the table's base text for its
// members, else by the text `baseTexts` gives (called at most once, with a
// structure of `members` pointers to fill), else by an empty text.
// `names` are BaseTextsOf's pieces of every member's name.
CheckedTexts CheckMembers(void* texts, std::size_t members, const BaseText* table,
                          const std::vector<std::string>& expected, const char* const* names,
                          std::size_t namePieces, SignatureFunction signature,
                          const std::function<std::shared_ptr<const void>(void* out)>& baseTexts);

// Whether textresouce_messages.h specialises BaseTextsOf for Texts.
template <class Texts, class = void>
struct HasBaseTexts : std::false_type {};
template <class Texts>
struct HasBaseTexts<Texts, std::void_t<decltype(BaseTextsOf<Texts>::kTexts)>> : std::true_type {};

}  // namespace detail

// One language, loaded: the texts stay valid as long as this object (or a
// copy of the shared_ptr that holds it) lives, even after another language
// has been loaded.
template <class Texts>
class Loaded {
public:
    const std::string& Language() const { return language_; }     // the tag chosen, e.g. "de"
    const Texts& Get() const { return texts_; }                    // every member filled
    const std::vector<std::string>& Refused() const { return refused_; }  // "<file>: <reason>" for each skipped
    // "<Dotted.Name>: <reason>" for each member whose text took other
    // arguments than the base's and was replaced at load.
    const std::vector<std::string>& Problems() const { return checked_.problems; }

    // The text of `message` (textresgen::msg::Status::Saved) with `args`
    // put in: as many as its base text's directives take, each of the type
    // its directive reads, or the call does not compile. A plural message
    // takes the form of its count (its last integer argument) in Language().
    template <class TheMessage, class... Args>
    std::wstring Format(const TheMessage& message, const Args&... args) const {
        static_cast<void>(message);
        if constexpr (detail::CallFits<Texts, TheMessage, Args...>()) {
            const wchar_t* text = detail::TextOf<TheMessage>(&texts_, language_, args...);
            return detail::CallWithPassed<TheMessage>(
                static_cast<const TheMessage*>(nullptr),
                [text](const auto&... passed) { return textresgen::Format(text, passed...); }, args...);
        } else {
            return {};
        }
    }
    // The same in UTF-8.
    template <class TheMessage, class... Args>
    std::string FormatUtf8(const TheMessage& message, const Args&... args) const {
        static_cast<void>(message);
        if constexpr (detail::CallFits<Texts, TheMessage, Args...>()) {
            const wchar_t* text = detail::TextOf<TheMessage>(&texts_, language_, args...);
            return detail::CallWithPassed<TheMessage>(
                static_cast<const TheMessage*>(nullptr),
                [text](const auto&... passed) { return textresgen::FormatUtf8(text, passed...); }, args...);
        } else {
            return {};
        }
    }


    // Every member of Get() in UTF-8, for std::cout, {fmt} and the POSIX
    // terminal, with no locale set: made on the first call (any thread; one
    // conversion however many call at once) into one buffer this object
    // owns, so valid as long as the handle lives. Needs textresouce_messages.h
    // (included by textresouce_layout.h), which declares the UTF-8 structure.
    template <class T = Texts>
    const typename Utf8Of<T>::type& Utf8() const {
        using Utf8Texts = typename Utf8Of<T>::type;
        static_assert(std::is_trivially_copyable_v<Utf8Texts> && std::is_standard_layout_v<Utf8Texts> &&
                          sizeof(Utf8Texts) % sizeof(const char*) == 0,
                      "Utf8Of<Texts>::type must be the UTF-8 structure textresgen-layout wrote");
        static_assert(sizeof(Utf8Texts) / sizeof(const char*) == sizeof(Texts) / sizeof(const wchar_t*),
                      "Utf8Of<Texts>::type must have as many members as Texts: regenerate textresouce_messages.h");
        std::call_once(utf8_.once, [this] {
            utf8_.buffer = detail::Utf8Copy(reinterpret_cast<const unsigned char*>(&texts_),
                                            sizeof(Texts) / sizeof(const wchar_t*), [](void* where) { new (where) Utf8Texts(); });
        });
        return *std::launder(reinterpret_cast<const Utf8Texts*>(utf8_.buffer.get()));
    }

    Loaded(detail::Opened opened, const Texts& texts, detail::CheckedTexts checked = {})
        : language_(std::move(opened.language)), refused_(std::move(opened.refused)),
          library_(std::move(opened.library)), checked_(std::move(checked)), texts_(texts) {}

private:
    std::string language_;
    std::vector<std::string> refused_;
    std::shared_ptr<const detail::Library> library_;
    detail::CheckedTexts checked_;
    Texts texts_;
    mutable detail::Utf8Cache utf8_;
};

// The language libraries of one application in one folder: the files
// "<prefix>_<tag>.so" (".dll" on Windows, ".dylib" on macOS), as
// textresgen_add_library names them with CATALOG <prefix> and LANGUAGE <tag>.
template <class Texts>
class Catalog {
    static_assert(std::is_trivially_copyable_v<Texts> && std::is_standard_layout_v<Texts>,
                  "Texts must be the TextResource structure that textresgen generated");
    static_assert(sizeof(Texts) % sizeof(const wchar_t*) == 0,
                  "Texts must be the TextResource structure that textresgen generated");

public:
    // `folder` is made absolute here: libraries are loaded by absolute path only.
    Catalog(std::filesystem::path folder, std::string prefix, std::string fallback)
        : settings_{std::filesystem::absolute(std::move(folder)), std::move(prefix), std::move(fallback)} {}

    // Also load libraries that carry no layout stamp (built before stamps,
    // or by hand). Each one loaded is named in Refused() as unchecked. Its
    // InitString still may not write past the structure or leave a member null.
    void AcceptUnstamped(bool accept) { settings_.acceptUnstamped = accept; }

    // The languages Load can give, sorted: a library it would refuse (another
    // layout, no stamp, damaged, not loadable) is left out. Each library is
    // loaded to be checked, but its InitString is not run.
    std::vector<std::string> Available() const {
        return detail::UsableLanguages(settings_, LayoutOf<Texts>::kFingerprint);
    }

    // Picks by LookupLanguage, verifies, fills. At most 32 different
    // libraries matched by `wanted` are tried, then the fallback. The
    // handle keeps its library loaded for as long as anyone holds it; a
    // later Load switches. With a base built into the application
    // (textresgen_add_library's EMBED_IN) its tag counts as available: a
    // library of that tag in the folder is still preferred, and the built-in
    // base is taken in its place, or when nothing else loads (a missing
    // folder too); Refused() then says why. Without one, throws LoadError
    // when not even the fallback can be loaded.
    std::shared_ptr<const Loaded<Texts>> Load(const std::vector<std::string>& wanted) const {
        auto texts = std::make_unique<Texts>();
        detail::Opened opened = detail::OpenFirst(
            settings_, wanted, LayoutOf<Texts>::kFingerprint, [&texts](detail::Function initString) {
                return detail::FillChecked(initString, sizeof(Texts), &Call, texts.get());
            });
        if (opened.embedded != nullptr) *texts = *static_cast<const Texts*>(opened.embedded);
        detail::CheckedTexts checked;
        if constexpr (detail::HasBaseTexts<Texts>::value) checked = CheckAgainstBase(*texts, opened.language);
        return std::make_shared<const Loaded<Texts>>(std::move(opened), *texts, std::move(checked));
    }

private:
    // Each member whose directives take other arguments than the base's
    // text gets the base's text (textresouce_messages.h holds the base).
    detail::CheckedTexts CheckAgainstBase(Texts& texts, const std::string& language) const {
        using Base = BaseTextsOf<Texts>;
        static_assert(Base::kMembers * sizeof(const wchar_t*) == sizeof(Texts),
                      "textresouce_messages.h is of another layout than textresouce.h: generate both again");
        static const std::vector<std::string> expected =
            detail::ExpectedSignatures(Base::kTexts, Base::kMembers, &detail::PrintfSignature);
        return detail::CheckMembers(&texts, Base::kMembers, Base::kTexts, expected, Base::kNames,
                                    sizeof(Base::kNames) / sizeof(Base::kNames[0]), &detail::PrintfSignature,
                                    [this, &language](void* out) { return BaseTexts(language, out); });
    }

    // The base's texts for the load check: the base built into the
    // application (static, nothing to keep alive), else the fallback
    // library's when another language was loaded.
    std::shared_ptr<const void> BaseTexts(const std::string& language, void* out) const {
        if (const void* embedded = detail::EmbeddedBaseTexts(LayoutOf<Texts>::kFingerprint)) {
            new (out) Texts(*static_cast<const Texts*>(embedded));
            return std::shared_ptr<const void>(embedded, [](const void*) {});
        }
        if (language == settings_.fallback) return nullptr;
        try {
            detail::Opened base = detail::OpenFirst(
                settings_, {}, LayoutOf<Texts>::kFingerprint,
                [out](detail::Function initString) { return detail::FillChecked(initString, sizeof(Texts), &Call, out); });
            return base.library;
        } catch (const LoadError&) {
            return nullptr;
        }
    }

    // InitString, on a zeroed structure made at `where`.
    static void Call(detail::Function initString, void* where) {
        reinterpret_cast<void (*)(Texts&)>(initString)(*new (where) Texts());
    }

    detail::CatalogSettings settings_;
};

// The language an application shows now, for many threads: Get() gives a
// reader the whole of one language, never a mix, and keeps it loaded while
// the reader holds it; Set() switches for later readers and tells the
// listeners.
template <class Texts>
class CurrentLanguage {
public:
    using Handle = std::shared_ptr<const Loaded<Texts>>;
    using Listener = std::function<void(const Handle&)>;
    explicit CurrentLanguage(Handle first) : current_(std::move(first)) {}

    Handle Get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return current_;
    }

    // Switches, then calls every listener with `next`, in the order they
    // were added, on the thread that called Set, with no lock held: a
    // listener may call Get() (or anything else here). A listener that calls
    // Set() starts a nested round with that language before this round has
    // reached the later listeners, which then see the older language last:
    // switch from a listener only through a queue of your own. What a
    // listener throws reaches the caller of Set, and the later listeners are
    // not called. The old language is let go after the lock: unloading its
    // library, when this was its last holder, does not hold up the readers.
    void Set(Handle next) {
        Handle old;
        std::vector<std::shared_ptr<const Listener>> listeners;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            old = std::exchange(current_, next);
            listeners = listeners_;
        }
        old.reset();
        for (const auto& listener : listeners) (*listener)(next);
    }

    // Adds a listener, called after each later Set (not for the language
    // shown now). Listeners cannot be removed: capture what may go away
    // through a std::weak_ptr.
    void OnChange(Listener listener) {
        auto shared = std::make_shared<const Listener>(std::move(listener));
        std::lock_guard<std::mutex> lock(mutex_);
        listeners_.push_back(std::move(shared));
    }

private:
    mutable std::mutex mutex_;
    Handle current_;
    std::vector<std::shared_ptr<const Listener>> listeners_;
};

}  // namespace textresgen

// The code of the declarations above, in headers: the run-time library is
// header-only. The system's headers (<windows.h>, <dlfcn.h> ...) are included
// by <textresgen/detail/platform.h> alone.
#include <textresgen/detail/catalog.h>
#include <textresgen/detail/embedded_base.h>
#include <textresgen/detail/language_tags.h>
#include <textresgen/detail/load_check.h>
#include <textresgen/detail/utf8_texts.h>
