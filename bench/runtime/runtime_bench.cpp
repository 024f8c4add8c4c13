// Times the run-time library on three language libraries of one layout, each
// timed load reading a library that is not loaded at the time:
//   raw     what an application without it does: dlopen, dlsym, InitString
//           into a structure, dlclose (the floor);
//   load    Catalog::Load of one language (loader, stamp, InitString into a
//           copy, every member checked, each text's arguments compared with
//           the base's), then the handle released (unload);
//   nocheck the same without the comparison with the base's texts: a
//           structure of the same layout that textresouce_messages.h does
//           not describe;
//   check   the comparison alone, on texts read before (no page faults);
//   wcslen  every text's length, the floor of any check that reads them;
//   switch  CurrentLanguage::Set from aa to a freshly loaded bb, or back,
//           the old one released (its library unloaded);
//   read    Get() and one member read, as a window would, per call;
//   plural  PluralCategory(language, n) per call, for a few languages (the
//           rules found by the tag, or by its fallback), n = 0..999999;
//   refuse  Catalog::Load of 4,000 wanted tags, each naming a library the
//           loader refuses (its ELF version byte changed), in a folder of
//           its own, with LANGUAGE holding 10,000 entries and the locale
//           C.UTF-8, where glibc would translate each loader message
//           through all of them; the fallback loads.
// Prints the median and the range of the runs, in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>

#include <textresgen/runtime.h>

#include "textresouce.h"
#include "textresouce_layout.h"

namespace {

using Clock = std::chrono::steady_clock;

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-8s median %8.3f ms   min %8.3f   max %8.3f   (%zu runs)\n", what, ms[ms.size() / 2], ms.front(),
                ms.back(), ms.size());
}

// TextResource without BaseTextsOf: Catalog::Load skips the check against the base.
struct Unchecked : TextResource {};

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The "refuse" row: a folder of 4,000 libraries (hard links to one file) that
// the loader refuses, and the fallback; the environment of the probe that
// found each refusal's message translated through every LANGUAGE entry.
void TimeRefusals(const std::filesystem::path& languages, int runs) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(languages).parent_path() / "refusals";
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string bytes;
    {
        std::ifstream in(languages / "bench_cc.so", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bytes.at(6) = 2;  // EI_VERSION: the loader refuses it, after every check of the run-time library passed
    std::ofstream(folder / "broken.so", std::ios::binary) << bytes;
    fs::copy_file(languages / "bench_aa.so", folder / "bench_aa.so");
    std::vector<std::string> wanted;
    std::string language;
    for (int i = 0; i < 10000; ++i) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "x-t%05d", i);
        if (i < 4000) {
            wanted.emplace_back(tag);
            fs::create_hard_link(folder / "broken.so", folder / ("bench_" + std::string(tag) + ".so"));
        }
        language += (i > 0 ? ":" : "") + std::string(tag);
    }
    setenv("LANGUAGE", language.c_str(), 1);
    std::setlocale(LC_ALL, "C.UTF-8");
    const textresgen::Catalog<TextResource> catalog(folder, "bench", "aa");
    std::vector<double> ms;
    std::vector<std::string> refused;
    for (int i = 0; i < runs; ++i) {
        const Clock::time_point start = Clock::now();
        refused = catalog.Load(wanted)->Refused();
        ms.push_back(Since(start));
    }
    Report("refuse", ms);
    std::printf("         (%zu of 4000 wanted libraries tried and refused, then the fallback; the first:\n          %s)\n",
                refused.size(), refused.empty() ? "" : refused.front().c_str());
    std::setlocale(LC_ALL, "C");
    fs::remove_all(folder);
}

}  // namespace

template <>
struct textresgen::LayoutOf<Unchecked> {
    static constexpr const char* kFingerprint = LayoutOf<TextResource>::kFingerprint;
};

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const textresgen::Catalog<TextResource> catalog(textresgen::FolderOfThisProgram() / "languages", "bench", "aa");
    std::printf("%zu members, %zu with directives\n", sizeof(TextResource) / sizeof(const wchar_t*),
                sizeof(textresgen::BaseTextsOf<TextResource>::kTexts) / sizeof(textresgen::detail::BaseText) - 1);
    if (const auto checked = catalog.Load({"cc"}); !checked->Problems().empty())
        std::printf("%zu texts replaced at load, the first: %s\n", checked->Problems().size(),
                    checked->Problems().front().c_str());

    const std::string library = (textresgen::FolderOfThisProgram() / "languages" / "bench_cc.so").string();
    textresgen::CurrentLanguage<TextResource> current(catalog.Load({"aa"}));
    // The three take turns run by run, so a slow spell of the machine falls on all.
    const textresgen::Catalog<Unchecked> unchecked(textresgen::FolderOfThisProgram() / "languages", "bench", "aa");
    std::vector<double> raw, load, nocheck, switches;
    for (int i = 0; i < runs; ++i) {
        Clock::time_point start = Clock::now();
        {
            void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
            const auto init = reinterpret_cast<void (*)(TextResource&)>(dlsym(handle, "InitString"));
            auto texts = std::make_unique<TextResource>();
            init(*texts);
            dlclose(handle);
        }
        raw.push_back(Since(start));

        start = Clock::now();
        auto loaded = catalog.Load({"cc"});
        loaded.reset();
        load.push_back(Since(start));

        start = Clock::now();
        auto plain = unchecked.Load({"cc"});
        plain.reset();
        nocheck.push_back(Since(start));

        start = Clock::now();
        current.Set(catalog.Load({i % 2 == 0 ? "bb" : "aa"}));
        switches.push_back(Since(start));
    }
    Report("raw", raw);
    Report("load", load);
    Report("nocheck", nocheck);
    {
        // The check alone, on texts already read once (no page faults).
        using Base = textresgen::BaseTextsOf<TextResource>;
        const auto loaded = catalog.Load({"cc"});
        const std::vector<std::string> expected =
            textresgen::detail::ExpectedSignatures(Base::kTexts, Base::kMembers, &textresgen::detail::PrintfSignature);
        std::vector<double> check, scan;
        for (int i = 0; i < runs; ++i) {
            // The floor: every text's length, read once.
            std::size_t total = 0;
            Clock::time_point begin = Clock::now();
            for (std::size_t m = 0; m < Base::kMembers; ++m)
                total += std::wcslen(textresgen::detail::MemberAt(&loaded->Get(), m));
            scan.push_back(Since(begin));
            if (total == 0) std::printf("no texts\n");

            TextResource texts = loaded->Get();
            const Clock::time_point start = Clock::now();
            textresgen::detail::CheckMembers(&texts, Base::kMembers, Base::kTexts, expected, Base::kNames,
                                             std::size(Base::kNames), &textresgen::detail::PrintfSignature,
                                             [](void*) { return std::shared_ptr<const void>(); });
            check.push_back(Since(start));
        }
        Report("check", check);
        Report("wcslen", scan);
    }
    Report("switch", switches);

    constexpr int kReads = 1000000;
    std::size_t length = 0;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kReads; ++i) length += std::wcslen(current.Get()->Get().M0.G0.E0);
    std::printf("read     %8.1f ns per Get() and member read (%zu)\n", Since(start) * 1e6 / kReads, length);

    // Each language timed in several rounds, in turns; the median round shown.
    constexpr std::uint64_t kCounts = 1000000;
    const char* const languages[] = {"ja", "en", "fr", "ru", "ar", "kw", "sr-Latn-RS", "xx-YY"};
    std::vector<std::vector<double>> rounds(std::size(languages));
    std::size_t letters = 0;
    for (int round = 0; round < 7; ++round) {
        for (std::size_t k = 0; k < std::size(languages); ++k) {
            const Clock::time_point begin = Clock::now();
            for (std::uint64_t n = 0; n < kCounts; ++n) letters += textresgen::PluralCategory(languages[k], n).size();
            rounds[k].push_back(Since(begin) * 1e6 / kCounts);
        }
    }
    for (std::size_t k = 0; k < std::size(languages); ++k) {
        std::sort(rounds[k].begin(), rounds[k].end());
        std::printf("plural   %8.1f ns per PluralCategory(\"%s\", n) (min %.1f, max %.1f)\n", rounds[k][rounds[k].size() / 2],
                    languages[k], rounds[k].front(), rounds[k].back());
    }
    std::printf("(%zu)\n", letters);

    TimeRefusals(textresgen::FolderOfThisProgram() / "languages", std::min(runs, 5));
    return 0;
}
