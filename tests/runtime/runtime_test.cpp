// The run-time library: language tags from the environment, RFC 4647
// lookup, and real language libraries loaded through the system's loader
// (built by textresgen_add_library, and unstamped ones written by hand).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdint>
#include <cwchar>
#include <future>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <textresgen/runtime.h>

#include "runtime/gettext_language.h"
#include "support/language_tag_table.h"
#include "textresouce_layout.h"

namespace textresgen {
namespace {

using Environment = std::map<std::string, std::string>;

std::vector<std::string> FromEnvironment(const Environment& environment) {
    return LanguagesFromEnvironment([&environment](const char* name) -> const char* {
        const auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    });
}

TEST(Runtime, PreferredLanguagesFromTheEnvironment) {
    const struct {
        Environment environment;
        std::vector<std::string> expected;
    } cases[] = {
        {{{"LANG", "de_AT.UTF-8"}}, {"de-AT"}},
        {{{"LANGUAGE", "de_AT:ja"}, {"LANG", "en_US.UTF-8"}}, {"de-AT", "ja", "en-US"}},
        {{{"LANGUAGE", "fr"}, {"LC_ALL", "it_IT"}, {"LC_MESSAGES", "es_ES"}, {"LANG", "pt_BR"}}, {"fr", "it-IT"}},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "es_ES.ISO-8859-1"}, {"LANG", "pt_BR"}}, {"es-ES"}},
        {{{"LANG", "de_AT.UTF-8@euro"}}, {"de-AT"}},
        {{{"LANG", "sr_RS@latin"}}, {"sr-Latn-RS"}},
        {{{"LANG", "uz_UZ.UTF-8@cyrillic"}}, {"uz-Cyrl-UZ"}},
        // The C locale: gettext ignores LANGUAGE then, and so does this.
        {{{"LANGUAGE", "de"}, {"LANG", "C"}}, {}},
        {{{"LANGUAGE", "de"}, {"LC_ALL", "POSIX"}, {"LANG", "de_DE"}}, {}},
        {{{"LANGUAGE", "de"}, {"LANG", "C.UTF-8"}}, {}},
        {{{"LANGUAGE", "de"}}, {}},
        {{}, {}},
        // Empty entries, repeats (any case) and garbage are passed over.
        {{{"LANGUAGE", "::de::DE:de_AT:de-at:"}, {"LANG", "de_DE.UTF-8"}}, {"de", "de-AT", "de-DE"}},
        {{{"LANGUAGE", "../../tmp/x:/etc/passwd:de\\x:..:ja"}, {"LANG", "en"}}, {"ja", "en"}},
        {{{"LANGUAGE", "x-pirate:en_GB\x1b[31m:a:toolonglanguage"}, {"LANG", "C:/Windows/x"}}, {"x-pirate"}},
        {{{"LANGUAGE", "x-pirate:en_GB\x1b[31m"}, {"LANG", "nl_BE"}}, {"x-pirate", "nl-BE"}},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto& [name, value] : c.environment) shown += name + "=" + value + " ";
        EXPECT_EQ(FromEnvironment(c.environment), c.expected) << shown;
    }
}

#ifdef _WIN32
// GetUserPreferredUILanguages: Windows (and Wine) always name at least one.
TEST(Runtime, PreferredLanguagesOfWindows) {
    const std::vector<std::string> tags = PreferredLanguages();
    ASSERT_FALSE(tags.empty());
    for (const std::string& tag : tags) EXPECT_TRUE(IsLanguageTag(tag)) << tag;
}
#endif

// The table that textresl10n's --lang and textresgen_add_library's LANGUAGE
// check are tested with as well.
TEST(Runtime, LanguageTagShapes) {
    for (const test::LanguageTagCase& c : test::ReadLanguageTagTable(TEXTRESGEN_LANGUAGE_TAGS)) {
        EXPECT_EQ(IsLanguageTag(c.text), c.kind == test::LanguageTagCase::kTag) << "line " << c.line << ": " << c.text;
        EXPECT_EQ(LanguageTagOfGettextName(c.text), c.tag) << "line " << c.line << ": " << c.text;
    }
}

TEST(Runtime, LookupAsRfc4647) {
    const std::vector<std::string> available = {"de", "en", "EN-gb", "zh-Hant", "pt-BR", "x-pirate"};
    const struct {
        std::vector<std::string> wanted;
        const char* expected;
    } cases[] = {
        {{"de-AT"}, "de"},
        {{"DE-at"}, "de"},
        {{"en-GB-oxendict"}, "EN-gb"},
        {{"zh-Hant-TW"}, "zh-Hant"},
        {{"zh-Hans-CN"}, "fallback"},   // zh-Hans, zh: neither is there
        {{"de-x-foo"}, "de"},           // de-x-foo, then de (the singleton x goes with foo)
        {{"de-a-bcd-x-y"}, "de"},
        {{"pt"}, "fallback"},           // lookup never lengthens a tag
        {{"fr", "ja", "pt-BR-x-1"}, "pt-BR"},
        {{"*", "en"}, "en"},
        {{"x-pirate"}, "x-pirate"},
        {{"../de", "de/../en", "en"}, "en"},
        {{}, "fallback"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& tag : c.wanted) shown += tag + " ";
        EXPECT_EQ(LookupLanguage(c.wanted, available, "fallback"), c.expected) << shown;
    }
}

Catalog<TextResource> TestCatalog() { return Catalog<TextResource>(TEXTRESGEN_TEST_LANGUAGES, "rt", "en"); }

TEST(Runtime, RealLibrariesAreCheckedBeforeUse) {
    Catalog<TextResource> catalog = TestCatalog();
    // Those that pass the checks before InitString runs: the ones of another
    // layout (fr, ja, ko) left out, the unstamped ones (es, it, pt) unless accepted.
    EXPECT_EQ(catalog.Available(), (std::vector<std::string>{"de", "en", "ru"}));
    catalog.AcceptUnstamped(true);
    EXPECT_EQ(catalog.Available(), (std::vector<std::string>{"de", "en", "es", "it", "pt", "ru"}));
    catalog.AcceptUnstamped(false);
    const struct {
        std::vector<std::string> wanted;
        bool acceptUnstamped;
        const char* language;
        const wchar_t* count;
        std::vector<std::pair<const char*, const char*>> refused;  // each line of Refused(): its file, its reason
    } cases[] = {
        {{"de-AT"}, false, "de", L"%d Notizen", {}},
        {{"ru-RU"}, false, "ru", L"%d заметок", {}},
        {{"fr"}, false, "en", L"%d notes", {{"rt_fr", "was built from another layout"}}},
        {{"ja", "de"}, false, "de", L"%d Notizen", {{"rt_ja", "was built from another layout"}}},
        {{"it"}, false, "en", L"%d notes", {{"rt_it", "no layout stamp"}}},
        {{"it"}, true, "it", L"%d note", {{"rt_it", "unchecked"}}},
        {{"pt", "es", "fr"}, true, "en", L"%d notes",
         {{"rt_pt", "member 3 of 9 empty"}, {"rt_es", "writes past the application's structure"}, {"rt_fr", "was built from another layout"}}},
        {{"ko-KR"}, false, "en", L"%d notes", {{"rt_ko", "was built from another layout"}}},
        {{"pl"}, false, "en", L"%d notes", {}},
    };
    for (const auto& c : cases) {
        Catalog<TextResource> tried = catalog;
        tried.AcceptUnstamped(c.acceptUnstamped);
        const auto loaded = tried.Load(c.wanted);
        const std::string shown = c.wanted.front() + (c.acceptUnstamped ? " (unstamped accepted)" : "");
        EXPECT_EQ(loaded->Language(), c.language) << shown;
        EXPECT_STREQ(loaded->Get().A.Count, c.count) << shown;
        ASSERT_EQ(loaded->Refused().size(), c.refused.size()) << shown;
        for (std::size_t i = 0; i < c.refused.size(); ++i) {
            const std::string& line = loaded->Refused()[i];
            EXPECT_NE(line.find(c.refused[i].first), std::string::npos) << shown << ": " << line;
            EXPECT_NE(line.find(c.refused[i].second), std::string::npos) << shown << ": " << line;
        }
    }
}

TEST(Runtime, NoFallbackNamesEveryFileTried) {
    for (const char* fallback : {"fr", "zz", "../en"}) {
        try {
            Catalog<TextResource>(TEXTRESGEN_TEST_LANGUAGES, "rt", fallback).Load({"ja"});
            ADD_FAILURE() << fallback << ": loaded";
        } catch (const LoadError& error) {
            const std::string what = error.what();
            EXPECT_NE(what.find("rt_ja"), std::string::npos) << what;
            EXPECT_NE(what.find(fallback), std::string::npos) << what;
        }
    }
}

// A plural group picked by the count in the loaded library's language: the
// Russian library's Files has one/few/many, chosen by CLDR's rules for ru.
TEST(Runtime, PluralTextOfALoadedLanguage) {
    const Catalog<TextResource> catalog = TestCatalog();
    const struct {
        const char* language;
        std::uint64_t n;
        const wchar_t* expected;
    } cases[] = {
        {"ru", 1, L"1 файл"},    {"ru", 3, L"3 файла"},   {"ru", 5, L"5 файлов"}, {"ru", 21, L"21 файл"},
        {"ru", 0, L"0 файлов"},  {"ru", 12, L"12 файлов"}, {"ru", 22, L"22 файла"}, {"ru", 111, L"111 файлов"},
        {"en", 1, L"1 file"},    {"en", 0, L"0 files"},    {"de", 21, L"21 Dateien"}, {"de", 1, L"1 Datei"},
    };
    for (const auto& c : cases) {
        const auto texts = catalog.Load({c.language});
        ASSERT_EQ(texts->Language(), c.language);
        std::wstring shown(64, L'\0');
        shown.resize(static_cast<std::size_t>(std::swprintf(shown.data(), shown.size(), PluralText(texts->Get().Files, *texts, c.n),
                                                            static_cast<int>(c.n))));
        EXPECT_EQ(shown, c.expected) << c.language << " " << c.n;
    }
    // A group written with fewer categories falls back to its "other".
    struct OneOther {
        const wchar_t* one;
        const wchar_t* other;
    } const group{L"one", L"other"};
    EXPECT_STREQ(PluralText(group, "ru", 1), L"one");
    EXPECT_STREQ(PluralText(group, "ru", 3), L"other");
    EXPECT_STREQ(PluralText(group, "ar", 0), L"other");
}

// Readers take the current language and read its texts while another thread
// switches between two libraries a thousand times: no reader may see a mix,
// or a text of a library already unloaded (the sanitizers' legs run this too).
TEST(Runtime, SwitchingUnderReaders) {
    const Catalog<TextResource> catalog = TestCatalog();
    CurrentLanguage<TextResource> current(catalog.Load({"en"}));
    std::atomic<bool> done{false};
    std::atomic<long> mixed{0};
    std::atomic<long> reads{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 8; ++i) {
        readers.emplace_back([&] {
            while (!done.load()) {
                const auto texts = current.Get();
                const bool german = texts->Language() == "de";
                if (std::wcscmp(texts->Get().A.Count, german ? L"%d Notizen" : L"%d notes") != 0 ||
                    std::wcscmp(texts->Get().A.Beta, german ? L"Beta (de)" : L"Beta") != 0)
                    ++mixed;
                ++reads;
            }
        });
    }
    for (int i = 0; i < 1000; ++i) current.Set(catalog.Load({i % 2 == 0 ? "de" : "en"}));
    done = true;
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(mixed.load(), 0);
    EXPECT_GT(reads.load(), 0);
}

// Utf8Copy, under Loaded::Utf8(): each text in UTF-8, whatever wchar_t is
// (UTF-16 on Windows, UTF-32 elsewhere); what is no Unicode scalar value
// becomes U+FFFD and the conversion goes on.
TEST(Runtime, Utf8OfWideTexts) {
    const bool utf16 = sizeof(wchar_t) == 2;
    const wchar_t smile[] = {utf16 ? wchar_t(0xD83D) : wchar_t(0x1F600), utf16 ? wchar_t(0xDE00) : wchar_t(0), 0};
    const wchar_t loneHigh[] = {L'a', wchar_t(0xD800), L'b', 0};
    const wchar_t highAtEnd[] = {L'a', wchar_t(0xDBFF), 0};
    const wchar_t loneLow[] = {wchar_t(0xDC00), L'z', 0};
    // UTF-16: the second high surrogate pairs; UTF-32: no unit is a character.
    const wchar_t twoHighs[] = {wchar_t(0xD800), wchar_t(0xD800), wchar_t(0xDC00), 0};
    const struct {
        const wchar_t* text;
        const char* expected;
    } cases[] = {
        {L"", ""},
        {L"plain ASCII ~", "plain ASCII ~"},
        {L"Gr\u00FC\u00DFe \u00A0\u07FF", "Gr\xC3\xBC\xC3\x9F" "e \xC2\xA0\xDF\xBF"},
        {L"\u0800\u65E5\uFFFD\uFFFF", "\xE0\xA0\x80\xE6\x97\xA5\xEF\xBF\xBD\xEF\xBF\xBF"},
        {smile, "\xF0\x9F\x98\x80"},
        {loneHigh, "a\xEF\xBF\xBD" "b"},
        {highAtEnd, "a\xEF\xBF\xBD"},
        {loneLow, "\xEF\xBF\xBDz"},
        {twoHighs, utf16 ? "\xEF\xBF\xBD\xF0\x90\x80\x80" : "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    std::vector<const wchar_t*> members;
    for (const auto& c : cases) members.push_back(c.text);
    const std::unique_ptr<char[]> copy = detail::Utf8Copy(reinterpret_cast<const unsigned char*>(members.data()),
                                                          members.size(), [](void* where) { new (where) const char*[1](); });
    for (std::size_t i = 0; i < members.size(); ++i) {
        const char* text = nullptr;
        std::memcpy(&text, copy.get() + i * sizeof text, sizeof text);
        EXPECT_STREQ(text, cases[i].expected) << "case " << i;
    }
    if (!utf16) {  // UTF-32 only: past U+10FFFF, and a surrogate as a unit of its own
        const wchar_t beyond[] = {wchar_t(0x110000), wchar_t(0xD800), wchar_t(0x10FFFF), 0};
        const wchar_t* one[] = {beyond};
        const std::unique_ptr<char[]> converted =
            detail::Utf8Copy(reinterpret_cast<const unsigned char*>(one), 1, [](void* where) { new (where) const char*[1](); });
        const char* text = nullptr;
        std::memcpy(&text, converted.get(), sizeof text);
        EXPECT_STREQ(text, "\xEF\xBF\xBD\xEF\xBF\xBD\xF4\x8F\xBF\xBF");
    }
}

// Utf8() of a loaded library: every member, made once however many threads
// ask at once, and the same structure on every later call.
TEST(Runtime, Utf8OfALoadedLanguageIsMadeOnce) {
    const auto texts = TestCatalog().Load({"ru"});
    ASSERT_EQ(texts->Language(), "ru");
    std::vector<std::future<const TextResourceUtf8*>> callers;
    for (int i = 0; i < 8; ++i)
        callers.push_back(std::async(std::launch::async, [&texts] { return &texts->Utf8(); }));
    std::set<const TextResourceUtf8*> made;
    for (auto& caller : callers) made.insert(caller.get());
    ASSERT_EQ(made.size(), 1u);
    const TextResourceUtf8& utf8 = texts->Utf8();
    EXPECT_EQ(&utf8, *made.begin());
    EXPECT_STREQ(utf8.A.Count, "%d \xD0\xB7\xD0\xB0\xD0\xBC\xD0\xB5\xD1\x82\xD0\xBE\xD0\xBA");  // "%d заметок"
    EXPECT_STREQ(utf8.A.Beta, "\xD0\x91\xD0\xB5\xD1\x82\xD0\xB0");  // "Бета", the first member
    EXPECT_STREQ(utf8.Files.few, "%d \xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB\xD0\xB0");  // "%d файла"
    EXPECT_STREQ(utf8.Files.zero, "%d \xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB\xD0\xBE\xD0\xB2");  // the last
}

// OnChange: each listener once per Set, in the order they were added, with
// the new language, and with no lock held: a listener that calls Get() does
// not deadlock (the Sets run on a thread of their own, so that a deadlock
// fails the test instead of hanging it).
TEST(Runtime, ListenersAreCalledAfterEachSet) {
    const Catalog<TextResource> catalog = TestCatalog();
    CurrentLanguage<TextResource> current(catalog.Load({"en"}));
    std::vector<std::string> calls;  // "<listener> <language> <what Get() gave>"
    for (const char* name : {"first", "second"}) {
        current.OnChange([&current, &calls, name](const CurrentLanguage<TextResource>::Handle& next) {
            const auto seen = current.Get();
            calls.push_back(std::string(name) + " " + next->Language() + (seen == next ? " current" : " stale"));
        });
    }
    std::promise<void> finished;
    std::thread switcher([&] {
        for (const char* tag : {"de", "ru", "de"}) current.Set(catalog.Load({tag}));
        finished.set_value();
    });
    if (finished.get_future().wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        switcher.detach();
        FAIL() << "Set did not return: a listener calling Get() deadlocks";
    }
    switcher.join();
    EXPECT_EQ(calls, (std::vector<std::string>{"first de current", "second de current", "first ru current",
                                               "second ru current", "first de current", "second de current"}));
}

}  // namespace
}  // namespace textresgen
