// Hostile candidates for Catalog::Load: files in the languages folder that
// the system's loader must never see (cut short, not a file, a link out of
// the folder, built for another machine) and unstamped libraries whose
// InitString misbehaves. Each is refused with its reason and the fallback
// loads. A load runs on a thread of its own, so that one that hangs fails
// its row instead of blocking the suite.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/sysmacros.h>  // makedev
#endif
#endif

#include <textresgen/runtime.h>

#include "support/temp_dir.h"
#include "textresouce_layout.h"

namespace textresgen {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kSuffix[] = ".dll";
#else
constexpr char kSuffix[] = ".so";
#endif

std::string LibraryName(const std::string& tag) { return "rt_" + tag + kSuffix; }

std::string BytesOf(const fs::path& path) {
    const auto bytes = test::ReadFileBytes(path);
    if (!bytes) ADD_FAILURE() << "cannot read " << path;
    return bytes.value_or("");
}

std::string Built(const std::string& tag) { return BytesOf(fs::path(TEXTRESGEN_TEST_LANGUAGES) / LibraryName(tag)); }
std::string Hostile(const std::string& name) { return BytesOf(fs::path(TEXTRESGEN_TEST_HOSTILE) / LibraryName(name)); }

void Put(const fs::path& path, const std::string& bytes) { ASSERT_TRUE(test::WriteFileBytes(path, bytes)) << path; }

// The library with its machine field changed to another machine's: ELF's
// e_machine (x86-64 <-> AArch64), PE's Machine (x86-64 <-> ARM64).
std::string ForAnotherMachine(std::string bytes) {
#ifdef _WIN32
    const std::size_t at = static_cast<unsigned char>(bytes.at(0x3C)) + 256u * static_cast<unsigned char>(bytes.at(0x3D)) + 4;
    const bool x64 = static_cast<unsigned char>(bytes.at(at + 1)) == 0x86;
    bytes.at(at) = 0x64;
    bytes.at(at + 1) = static_cast<char>(x64 ? 0xAA : 0x86);
#else
    const bool x64 = static_cast<unsigned char>(bytes.at(18)) == 62;
    bytes.at(18) = static_cast<char>(x64 ? 183 : 62);
    bytes.at(19) = 0;
#endif
    return bytes;
}

struct Outcome {
    std::string language;               // empty when Load threw
    std::vector<std::string> refused;   // Refused(), or LoadError's lines
    std::string count;                  // the loaded A.Count, narrowed
    bool hung = false;
};

// Catalog::Load({"de"}) on a thread of its own. When it has not returned
// within a minute the row has hung (in open, on a FIFO): a writer opened
// on `candidate` lets it go on.
Outcome LoadOnThread(const Catalog<TextResource>& catalog, const fs::path& candidate) {
    std::promise<Outcome> done;
    std::future<Outcome> result = done.get_future();
    std::thread loader([&catalog, &done] {
        Outcome outcome;
        try {
            const auto loaded = catalog.Load({"de"});
            outcome.language = loaded->Language();
            outcome.refused = loaded->Refused();
            for (const wchar_t* c = loaded->Get().A.Count; *c != L'\0'; ++c) outcome.count.push_back(static_cast<char>(*c));
        } catch (const LoadError& error) {
            outcome.refused = {error.what()};
        } catch (...) {
            outcome.refused = {"an exception other than LoadError"};
        }
        done.set_value(outcome);
    });
    const bool hung = result.wait_for(std::chrono::minutes(1)) != std::future_status::ready;
#ifndef _WIN32
    if (hung) {
        const int writer = open(candidate.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) close(writer);
    }
#else
    (void)candidate;
#endif
    loader.join();
    Outcome outcome = result.get();
    outcome.hung = hung;
    return outcome;
}

TEST(Runtime, HostileCandidatesAreRefused) {
    const std::string german = Built("de");
    struct Row {
        std::string name;
        std::string tag;  // the file made hostile: "de" (wanted) or "en" (the fallback)
        std::function<bool(const fs::path& file, const fs::path& outside)> make;  // false: cannot be made here
        const char* reason;                                                        // "": loaded
    };
    std::vector<Row> rows;
    for (const std::size_t cut : {std::size_t{0}, std::size_t{40}, std::size_t{700}, std::size_t{4196}, std::size_t{8300},
                                  std::size_t{12288}, german.size() - 1})
        rows.push_back({"cut at " + std::to_string(cut), "de",
                        [&german, cut](const fs::path& file, const fs::path&) {
                            Put(file, german.substr(0, cut));
                            return true;
                        },
                        "cut short"});
    const auto copy = [](std::string bytes) {
        return [bytes](const fs::path& file, const fs::path&) {
            Put(file, bytes);
            return true;
        };
    };
    rows.push_back({"another machine", "de", copy(ForAnotherMachine(german)), "built for another machine"});
    rows.push_back({"600 members longer", "de", copy(Hostile("long600")), "writes past the application's structure"});
    rows.push_back({"4096 members longer", "de", copy(Hostile("long4096")), "writes past the application's structure"});
    rows.push_back({"InitString throws", "de", copy(Hostile("throws")), "its InitString throws"});
#ifdef _WIN32
    rows.push_back({"needs a missing library", "de", copy(Hostile("needs")), "a library it needs is not found"});
#else
    rows.push_back({"needs a missing library", "de", copy(Hostile("needs")), "rt_absent.so: cannot open shared object file"});
#endif
    rows.push_back({"a folder", "de",
                    [](const fs::path& file, const fs::path&) { return fs::create_directory(file); }, "a folder, not a file"});
#ifndef _WIN32
    rows.push_back({"a FIFO", "de", [](const fs::path& file, const fs::path&) { return mkfifo(file.c_str(), 0600) == 0; },
                    "FIFO"});
    rows.push_back({"the fallback a FIFO", "en",
                    [](const fs::path& file, const fs::path&) { return mkfifo(file.c_str(), 0600) == 0; }, "FIFO"});
    rows.push_back({"a device", "de",
                    [](const fs::path& file, const fs::path&) {
                        return mknod(file.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;  // /dev/null's; root only
                    },
                    "a device"});
    rows.push_back({"a link out of the folder", "de",
                    [&german](const fs::path& file, const fs::path& outside) {
                        Put(outside / "x.so", german);
                        fs::create_symlink(outside / "x.so", file);
                        return true;
                    },
                    "outside the languages folder"});
    rows.push_back({"a link inside the folder", "de",
                    [&german](const fs::path& file, const fs::path&) {
                        fs::create_directory(file.parent_path() / "real");
                        Put(file.parent_path() / "real" / "de.so", german);
                        fs::create_symlink("real/de.so", file);
                        return true;
                    },
                    ""});
#endif

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const test::TempDir folder;
        const test::TempDir outside;
        if (row.tag != "en") Put(folder / LibraryName("en"), Built("en"));
        const fs::path candidate = folder / LibraryName(row.tag);
        if (!row.make(candidate, outside.Path())) {
            std::printf("skipped: %s (cannot be made here)\n", row.name.c_str());
            continue;
        }
        Catalog<TextResource> catalog(folder.Path(), "rt", "en");
        catalog.AcceptUnstamped(true);
        const Outcome outcome = LoadOnThread(catalog, candidate);
        EXPECT_FALSE(outcome.hung) << "Load blocked";

        std::string refused;
        for (const std::string& line : outcome.refused) refused += line + "\n";
        if (*row.reason == '\0') {
            EXPECT_EQ(outcome.language, row.tag) << refused;
            continue;
        }
        // Refused with its reason, and the fallback loaded in full, unless it was the one refused.
        EXPECT_EQ(outcome.language, row.tag == "en" ? "" : "en") << refused;
        if (row.tag != "en") {
            EXPECT_EQ(outcome.count, "%d notes");
        }
        ASSERT_GE(outcome.refused.size(), 1u) << refused;
        EXPECT_NE(outcome.refused[0].find(LibraryName(row.tag)), std::string::npos) << refused;
        EXPECT_NE(outcome.refused[0].find(row.reason), std::string::npos) << refused;
    }
}

}  // namespace
}  // namespace textresgen

namespace textresgen {
namespace {

// A refusal names its file readably: a folder named in Japanese as it is,
// but a character that could hide or turn the line around (a control, a
// bidi control) as the \xNN of its bytes, and a name that is not UTF-8
// with every byte outside printable ASCII so.
TEST(Runtime, RefusalsShowTheirFileReadably) {
    struct Row {
        const char* folder;  // UTF-8, or not
        const char* shown;
    };
    std::vector<Row> rows = {
        {"\xE7\x94\xB0\xE4\xB8\xAD \xE3\x83\x97\xE3\x83\xAD", "\xE7\x94\xB0\xE4\xB8\xAD \xE3\x83\x97\xE3\x83\xAD"},
        {"left\xE2\x80\xAEright", "left\\xE2\\x80\\xAEright"},
        {"isolate\xE2\x81\xA6x", "isolate\\xE2\\x81\\xA6x"},
    };
#ifndef _WIN32  // Windows names hold no controls and are always Unicode
    rows.push_back({"tab\there\xC2\x85", "tab\\x09here\\xC2\\x85"});
    rows.push_back({"caf\xE9 \xE7\x94\xB0", "caf\\xE9 \\xE7\\x94\\xB0"});
#endif
    const std::string german = Built("de");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shown);
        const test::TempDir top;
        const fs::path folder = top.Path() / fs::u8path(row.folder);
        ASSERT_TRUE(fs::create_directory(folder));
        Put(folder / LibraryName("en"), Built("en"));
        Put(folder / LibraryName("de"), german.substr(0, 40));
        Catalog<TextResource> catalog(folder, "rt", "en");
        const auto loaded = catalog.Load({"de"});
        ASSERT_EQ(loaded->Refused().size(), 1u);
        const std::string& line = loaded->Refused()[0];
        EXPECT_NE(line.find(std::string(row.shown) + (fs::path("/").make_preferred().string()) + LibraryName("de") +
                            ": "),
                  std::string::npos)
            << line;
        EXPECT_NE(line.find("cut short"), std::string::npos) << line;
    }
}

#ifdef _WIN32
// A file another program holds without sharing it is refused in the
// system's own words, with the error's number (FormatMessageW).
TEST(Runtime, AFileInUseIsRefusedInTheSystemsWords) {
    const test::TempDir folder;
    Put(folder / LibraryName("en"), Built("en"));
    Put(folder / LibraryName("de"), Built("de"));
    const HANDLE held = CreateFileW((folder / LibraryName("de")).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const Catalog<TextResource> catalog(folder.Path(), "rt", "en");
    const auto loaded = catalog.Load({"de"});
    CloseHandle(held);
    EXPECT_EQ(loaded->Language(), "en");
    ASSERT_EQ(loaded->Refused().size(), 1u);
    const std::string& line = loaded->Refused()[0];
    const std::size_t words = line.find(": it cannot be opened: ");
    const std::size_t number = line.find(" (Windows error 32)");
    ASSERT_NE(words, std::string::npos) << line;
    ASSERT_NE(number, std::string::npos) << line;
    EXPECT_GT(number, words + std::strlen(": it cannot be opened: ") + 10) << line;
}
#endif

}  // namespace
}  // namespace textresgen
