// Times the run-time library on two language libraries of one layout:
//   load    Catalog::Load of one language (loader, stamp, InitString into a
//           copy, every member checked), then the handle released (unload);
//   switch  CurrentLanguage::Set to a freshly loaded other language while
//           the old one is released (its library unloaded);
//   read    Get() and one member read, as a window would, per call.
// Prints the median and the range of the runs, in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

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

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const textresgen::Catalog<TextResource> catalog(textresgen::FolderOfThisProgram() / "languages", "bench", "aa");
    std::printf("%zu members\n", sizeof(TextResource) / sizeof(const wchar_t*));

    std::vector<double> load;
    for (int i = 0; i < runs; ++i) {
        const Clock::time_point start = Clock::now();
        auto loaded = catalog.Load({"bb"});
        loaded.reset();
        load.push_back(Since(start));
    }
    Report("load", load);

    textresgen::CurrentLanguage<TextResource> current(catalog.Load({"aa"}));
    std::vector<double> switches;
    for (int i = 0; i < runs; ++i) {
        const Clock::time_point start = Clock::now();
        current.Set(catalog.Load({i % 2 == 0 ? "bb" : "aa"}));
        switches.push_back(Since(start));
    }
    Report("switch", switches);

    constexpr int kReads = 1000000;
    std::size_t length = 0;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kReads; ++i) length += std::wcslen(current.Get()->Get().M0.G0.E0);
    std::printf("read     %8.1f ns per Get() and member read (%zu)\n", Since(start) * 1e6 / kReads, length);
    return 0;
}
