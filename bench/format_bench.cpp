// Times textresgen::Format against the C library's swprintf on the same
// messages and arguments: ns per call, the median of several rounds taken
// in turns (so that a slow spell of the machine falls on both), and the
// ratio Format / swprintf. swprintf writes into a buffer on the stack;
// Format returns a std::wstring, so its figure includes that allocation.
//
//   format_bench [rounds] [calls per round]
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include <textresgen/format.h>

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the compiler from dropping a result.
volatile std::size_t sink = 0;

template <class Call>
double NsPerCall(int calls, Call call) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < calls; ++i) call(i);
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / calls;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <class Ours, class Theirs>
void Compare(const char* name, int rounds, int calls, Ours ours, Theirs theirs) {
    std::vector<double> format, printf;
    for (int r = 0; r < rounds; ++r) {
        format.push_back(NsPerCall(calls, ours));
        printf.push_back(NsPerCall(calls, theirs));
    }
    const double f = Median(format), p = Median(printf);
    std::printf("%-24s Format %7.1f ns   swprintf %7.1f ns   ratio %.2f\n", name, f, p, f / p);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    const int calls = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200000;
    std::setlocale(LC_ALL, "C.UTF-8");
    wchar_t buffer[256];

    const wchar_t* const plain = L"Saved %d notes";
    Compare("%d", rounds, calls, [&](int i) { sink = sink + textresgen::Format(plain, i).size(); },
            [&](int i) { sink = sink + static_cast<std::size_t>(std::swprintf(buffer, 256, plain, i)); });

    const wchar_t* const two = L"%ls holds %d notes";
    Compare("%ls + %d", rounds, calls, [&](int i) { sink = sink + textresgen::Format(two, L"notes.db", i).size(); },
            [&](int i) { sink = sink + static_cast<std::size_t>(std::swprintf(buffer, 256, two, L"notes.db", i)); });

    const wchar_t* const numbered = L"%2$ls \u306B %1$d \u4EF6\u306E\u30E1\u30E2\u3092\u4FDD\u5B58\u3057\u307E\u3057\u305F";
    Compare("%2$ls %1$d (numbered)", rounds, calls,
            [&](int i) { sink = sink + textresgen::Format(numbered, i, L"notes.db").size(); },
            [&](int i) { sink = sink + static_cast<std::size_t>(std::swprintf(buffer, 256, numbered, i, L"notes.db")); });

    const wchar_t* const fixed = L"%.2f%% done";
    Compare("%.2f", rounds, calls, [&](int i) { sink = sink + textresgen::Format(fixed, i * 0.37).size(); },
            [&](int i) { sink = sink + static_cast<std::size_t>(std::swprintf(buffer, 256, fixed, i * 0.37)); });
    return 0;
}
