#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/prefetch.h"
#include "model/work_threads.h"
#include "text/wide_string.h"

namespace textresgen {

// One record to sort by name: its id, and room for the sort's work.
struct NameSortItem {
    // Working key: the next eight units of the name (sixteen when every name
    // of the sort is below U+0100, a byte each), past its end 0, the first
    // one highest, and how many units were left (one more than the key holds
    // when more are).
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::uint32_t id = 0;
    std::uint16_t left = 0;
    std::uint16_t sameAsNext = 0;  // on return: 1 when the next item has the same name
};

// A stretch of items still to be sorted from `depth` units on; SortByName's
// work list, kept by the caller so that sorting many small groups does not
// allocate every time.
struct NameSortRun {
    std::size_t begin, end, depth;
};

// SortByNameOnThreads shares sorts of at least this many items among its
// threads.
constexpr std::size_t kSharedSortSize = std::size_t{1} << 15;

namespace name_sort_detail {

// Units past the end count as 0, so a name that ends sorts before the longer
// names that share its units; names whose keys are equal and say fewer than
// GoesOn units were left are the same name. A key holds kUnits units: 8 of
// 16 bits, or 16 of 8 bits for names whose units are all below U+0100.
template <std::size_t kUnits>
constexpr std::uint16_t GoesOn() {
    return kUnits + 1;
}
// How many records ahead the loops over a run ask for memory.
constexpr std::size_t kAhead = 8;

// A unit as the order sees it: with `kDotFirst`, "." counts as 0, below
// every unit a name can hold (names hold no U+0000).
template <bool kDotFirst>
inline std::uint64_t KeyUnit(char16_t unit) {
    return kDotFirst && unit == u'.' ? 0u : unit;
}

template <bool kDotFirst, std::size_t kUnits>
inline std::uint64_t PackUnits(const char16_t* units, std::size_t count) {
    constexpr std::size_t kPerWord = kUnits / 2;
    constexpr unsigned kBits = 64 / kPerWord;
    std::uint64_t packed = 0;
    for (std::size_t k = 0; k < kPerWord; ++k)
        packed = packed << kBits | (k < count ? KeyUnit<kDotFirst>(units[k]) : 0u);
    return packed;
}

template <bool kDotFirst, std::size_t kUnits>
inline void SetKey(NameSortItem& item, WideStringView name, std::size_t depth) {
    constexpr std::size_t kPerWord = kUnits / 2;
    const std::size_t left = name.size() - depth;
    const char16_t* units = name.data() + depth;
    item.high = PackUnits<kDotFirst, kUnits>(units, left);
    item.low = left > kPerWord ? PackUnits<kDotFirst, kUnits>(units + kPerWord, left - kPerWord) : 0;
    item.left = static_cast<std::uint16_t>(left < GoesOn<kUnits>() ? left : GoesOn<kUnits>());
}

inline bool SameKey(const NameSortItem& a, const NameSortItem& b) {
    return a.high == b.high && a.low == b.low && a.left == b.left;
}

inline bool KeyBefore(const NameSortItem& a, const NameSortItem& b) {
    if (a.high != b.high) return a.high < b.high;
    if (a.low != b.low) return a.low < b.low;
    if (a.left != b.left) return a.left < b.left;
    return a.id < b.id;
}

// Byte `digit` of an item's key, most significant first: the eight bytes of
// `high`, the eight of `low`, then `left`.
constexpr unsigned kKeyDigits = 17;
inline unsigned KeyDigit(const NameSortItem& item, unsigned digit) {
    if (digit < 8) return static_cast<unsigned>(item.high >> (56 - 8 * digit)) & 0xFFu;
    if (digit < 16) return static_cast<unsigned>(item.low >> (56 - 8 * (digit - 8))) & 0xFFu;
    return item.left;
}

// Stretches this short are sorted by insertion.
constexpr std::size_t kInsertionRun = 32;

inline void InsertionSort(NameSortItem* items, std::size_t count) {
    for (std::size_t i = 1; i < count; ++i) {
        const NameSortItem item = items[i];
        std::size_t j = i;
        for (; j > 0 && KeyBefore(item, items[j - 1]); --j) items[j] = items[j - 1];
        items[j] = item;
    }
}

// The first byte of `bits`, from the most significant, that is not zero.
inline unsigned FirstNonZeroByte(std::uint64_t bits) {
    unsigned byte = 0;
    while ((bits >> (56 - 8 * byte) & 0xFFu) == 0) ++byte;
    return byte;
}

// Partitions items by the first byte of the key in which they differ, into
// `counts[b]` items of byte value b, in order; false (items untouched) when
// all keys are equal.
inline bool PartitionOnFirstDifference(NameSortItem* first, std::size_t n, std::size_t (&counts)[256]) {
    std::uint64_t highDiffers = 0, lowDiffers = 0;
    unsigned leftDiffers = 0;
    for (std::size_t i = 1; i < n; ++i) {
        highDiffers |= first[i].high ^ first[0].high;
        lowDiffers |= first[i].low ^ first[0].low;
        leftDiffers |= static_cast<unsigned>(first[i].left ^ first[0].left);
    }
    unsigned digit = kKeyDigits;
    if (highDiffers != 0)
        digit = FirstNonZeroByte(highDiffers);
    else if (lowDiffers != 0)
        digit = 8 + FirstNonZeroByte(lowDiffers);
    else if (leftDiffers != 0)
        digit = 16;
    if (digit == kKeyDigits) return false;
    std::fill(counts, counts + 256, std::size_t{0});
    for (std::size_t i = 0; i < n; ++i) ++counts[KeyDigit(first[i], digit)];
    std::size_t next[256], end[256];
    std::size_t at = 0;
    for (unsigned b = 0; b < 256; ++b) {
        next[b] = at;
        at += counts[b];
        end[b] = at;
    }
    for (unsigned b = 0; b < 256; ++b) {
        while (next[b] < end[b]) {
            NameSortItem item = first[next[b]];
            for (unsigned d = KeyDigit(item, digit); d != b; d = KeyDigit(item, digit))
                std::swap(item, first[next[d]++]);
            first[next[b]++] = item;
        }
    }
    return true;
}

// Sorts items by key, then id: most significant byte first, in place
// (American flag sort), down to stretches short enough for insertion sort.
// A comparison sort of a million keys mispredicts a branch at almost every
// comparison; this reads each item three times per byte that splits its
// stretch (to find that byte, to count, to move), and skips in one pass the
// bytes all keys of a stretch share, such as the high bytes of ASCII units.
inline void SortByKey(NameSortItem* items, std::size_t count) {
    if (count <= kInsertionRun) {
        InsertionSort(items, count);
        return;
    }
    struct Bucket {
        std::size_t begin, end;
    };
    std::vector<Bucket> buckets{{0, count}};
    while (!buckets.empty()) {
        const Bucket bucket = buckets.back();
        buckets.pop_back();
        NameSortItem* first = items + bucket.begin;
        const std::size_t n = bucket.end - bucket.begin;
        if (n <= kInsertionRun) {
            InsertionSort(first, n);
            continue;
        }
        std::size_t counts[256];
        if (!PartitionOnFirstDifference(first, n, counts)) {  // one key throughout: by id
            std::sort(first, first + n, [](const NameSortItem& a, const NameSortItem& b) { return a.id < b.id; });
            continue;
        }
        std::size_t start = bucket.begin;
        for (unsigned b = 0; b < 256; start += counts[b++])
            if (counts[b] > 1) buckets.push_back({start, start + counts[b]});
    }
}

// Loads the records of the next items ahead of their names: the records and
// the names they point to both lie in file order, not in the run's order.
template <typename Names>
TEXTRESGEN_PREFETCH_INLINE void PrefetchAhead(const NameSortItem* items, std::size_t i, std::size_t count, std::size_t depth,
                   const Names& names) {
    if (i + 2 * kAhead < count) PrefetchForRead(names.Record(items[i + 2 * kAhead].id));
    if (i + kAhead < count) PrefetchForRead(names.Name(items[i + kAhead].id).data() + depth);
}

template <std::size_t kUnits, typename Names>
void FillKeys(NameSortItem* items, std::size_t count, std::size_t depth, const Names& names) {
    for (std::size_t i = 0; i < count; ++i) {
        PrefetchAhead(items, i, count, depth, names);
        SetKey<Names::kDotFirst, kUnits>(items[i], names.Name(items[i].id), depth);
    }
}

// How many units from `depth` on every name of the run shares with the first
// (the names all go on past `depth` + kUnits with the same units).
template <std::size_t kUnits, typename Names>
std::size_t SharedLength(const NameSortItem* items, std::size_t count, std::size_t depth, const Names& names) {
    const WideStringView first = names.Name(items[0].id).substr(depth);
    std::size_t shared = first.size();
    for (std::size_t i = 1; i < count && shared > kUnits; ++i) {
        PrefetchAhead(items, i, count, depth, names);
        const WideStringView other = names.Name(items[i].id).substr(depth);
        const std::size_t limit = std::min(shared, other.size());
        std::size_t k = 0;
        while (k < limit && first[k] == other[k]) ++k;
        shared = k;
    }
    return shared;
}

// Negative, zero or positive as `a` sorts before, with or after `b`.
template <bool kDotFirst>
int CompareNames(WideStringView a, WideStringView b) {
    if (!kDotFirst) return a.compare(b);
    const std::size_t shorter = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < shorter; ++k)
        if (a[k] != b[k]) return KeyUnit<true>(a[k]) < KeyUnit<true>(b[k]) ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Sorts a few items whose names share their first `depth` units by
// comparing the rest outright, and marks equal neighbours: for a small group
// whose names were just read, or a small run left by the keys, cheaper than
// making keys.
template <typename Names>
void SortFew(NameSortItem* items, std::size_t count, const Names& names, std::size_t depth) {
    const auto rest = [&](const NameSortItem& item) { return names.Name(item.id).substr(depth); };
    for (std::size_t i = 1; i < count; ++i) {
        const NameSortItem item = items[i];
        const WideStringView name = rest(item);
        std::size_t j = i;
        for (; j > 0; --j) {
            const int order = CompareNames<Names::kDotFirst>(rest(items[j - 1]), name);
            if (order < 0 || (order == 0 && items[j - 1].id < item.id)) break;
            items[j] = items[j - 1];
        }
        items[j] = item;
    }
    for (std::size_t i = 0; i + 1 < count; ++i) items[i].sameAsNext = rest(items[i]) == rest(items[i + 1]) ? 1 : 0;
    items[count - 1].sameAsNext = 0;
}

// Groups and runs this small are sorted by SortFew.
constexpr std::size_t kFew = 8;
// Items first[0, n), the run starting at `begin`, hold keys made at `depth`,
// sorted: each stretch of one name (once or several times) is marked, each
// stretch of equal keys whose names go on becomes a run.
template <std::size_t kUnits>
void SplitRuns(NameSortItem* first, std::size_t n, std::size_t begin, std::size_t depth,
               std::vector<NameSortRun>& runs) {
    for (std::size_t a = 0; a < n;) {
        std::size_t b = a + 1;
        while (b < n && SameKey(first[b], first[a])) ++b;
        if (b - a > 1 && first[a].left == GoesOn<kUnits>()) {
            runs.push_back({begin + a, begin + b, depth + kUnits});
        } else {
            // One name, or one name defined several times, by id.
            for (std::size_t k = a; k < b; ++k) first[k].sameAsNext = k + 1 < b ? 1 : 0;
        }
        a = b;
    }
}

// Asks for what the next runs on the list read first: the records of the
// run after next, and the names of the next one where they go on. Most runs
// below the first level are a few items whose names lie anywhere in memory;
// their misses then overlap with the sorting of the run before.
template <typename Names>
TEXTRESGEN_PREFETCH_INLINE void PrefetchNextRuns(const NameSortItem* items, const std::vector<NameSortRun>& runs,
                                                 const Names& names) {
    const std::size_t left = runs.size();
    if (left >= 2) {
        const NameSortRun& after = runs[left - 2];
        for (std::size_t i = after.begin; i < after.end && i < after.begin + kFew; ++i)
            PrefetchForRead(names.Record(items[i].id));
    }
    if (left >= 1) {
        const NameSortRun& next = runs[left - 1];
        for (std::size_t i = next.begin; i < next.end && i < next.begin + kFew; ++i)
            PrefetchForRead(names.Name(items[i].id).data() + next.depth);
    }
}

// Sorts every run on the list, and the runs they leave, until none is left.
template <std::size_t kUnits, typename Names>
void SortRuns(NameSortItem* items, const Names& names, std::vector<NameSortRun>& runs) {
    while (!runs.empty()) {
        const NameSortRun run = runs.back();
        runs.pop_back();
        PrefetchNextRuns(items, runs, names);
        NameSortItem* first = items + run.begin;
        const std::size_t n = run.end - run.begin;
        if (n <= kFew) {
            SortFew(first, n, names, run.depth);
            continue;
        }
        FillKeys<kUnits>(first, n, run.depth, names);
        SortByKey(first, n);
        if (SameKey(first[0], first[n - 1]) && first[0].left == GoesOn<kUnits>()) {
            // Nothing told apart: skip what all the names share, then go on.
            runs.push_back({run.begin, run.end, run.depth + SharedLength<kUnits>(first, n, run.depth, names)});
            continue;
        }
        SplitRuns<kUnits>(first, n, run.begin, run.depth, runs);
    }
}

}  // namespace name_sort_detail

// Sorts `items` by the names of their records: by unsigned UTF-16 code units,
// a name before the longer names it begins, the same name by id. Marks each
// item followed by one of the same name.
//
// `names.Name(id)` gives a record's name and `names.Record(id)` the address
// it is read from; `Names::kDotFirst` sorts "." below every other unit (for
// dotted paths: a group before the groups inside it, then its siblings).
// The sort compares keys held beside the ids, each made of the next few
// units of a name, so it reads name memory once per item and level rather
// than twice per comparison; runs of equal keys are sorted again on the
// following units (a run of a few by comparing the rest of their names),
// and a run whose names all share a long stretch skips it in one pass. Cost: about n log n key comparisons plus one read of
// every unit that tells two names apart.
//
// `narrow` (every unit of every name below U+0100) lets each key hold twice
// as many units, so fewer runs need their names read again.
template <typename Names>
void SortByName(NameSortItem* items, std::size_t count, const Names& names, std::vector<NameSortRun>& runs,
                bool narrow = false) {
    using namespace name_sort_detail;
    runs.clear();
    if (count <= kFew) {
        if (count > 0) SortFew(items, count, names, 0);
        return;
    }
    runs.push_back({0, count, 0});
    if (narrow)
        SortRuns<16>(items, names, runs);
    else
        SortRuns<8>(items, names, runs);
}

namespace name_sort_detail {

template <std::size_t kUnits, typename Names>
void SortOnThreads(NameSortItem* items, std::size_t count, const Names& names, std::vector<NameSortRun>& runs,
                   unsigned threads) {
    RunOnThreads(threads, [&](unsigned t) {
        const std::size_t from = count * t / threads, to = count * (t + 1) / threads;
        FillKeys<kUnits>(items + from, to - from, 0, names);
    });
    std::size_t counts[256];
    if (!PartitionOnFirstDifference(items, count, counts)) {
        SortByName(items, count, names, runs, kUnits == 16);  // one key throughout
        return;
    }
    // Share t: the buckets from firstBucket[t], items from firstItem[t].
    std::vector<unsigned> firstBucket(threads + 1, 256);
    std::vector<std::size_t> firstItem(threads + 1, count);
    firstBucket[0] = 0;
    firstItem[0] = 0;
    unsigned bucket = 0;
    std::size_t item = 0;
    for (unsigned t = 1; t < threads; ++t) {
        while (bucket < 256 && item < count * t / threads) item += counts[bucket++];
        firstBucket[t] = bucket;
        firstItem[t] = item;
    }
    RunOnThreads(threads, [&](unsigned t) {
        std::vector<NameSortRun> ownRuns;
        std::size_t begin = firstItem[t];
        for (unsigned b = firstBucket[t]; b < firstBucket[t + 1]; begin += counts[b++]) {
            if (counts[b] == 0) continue;
            SortByKey(items + begin, counts[b]);
            SplitRuns<kUnits>(items + begin, counts[b], begin, 0, ownRuns);
            SortRuns<kUnits>(items, names, ownRuns);
        }
    });
}

}  // namespace name_sort_detail

// The same order as SortByName, on `threads` threads when the sort is large:
// the keys are made in slices, one pass splits the items on the first byte
// in which keys differ, and each thread sorts a share of the resulting
// stretches to the end (they never mix again).
template <typename Names>
void SortByNameOnThreads(NameSortItem* items, std::size_t count, const Names& names, std::vector<NameSortRun>& runs,
                         unsigned threads, bool narrow = false) {
    using namespace name_sort_detail;
    if (threads < 2 || count < kSharedSortSize)
        SortByName(items, count, names, runs, narrow);
    else if (narrow)
        SortOnThreads<16>(items, count, names, runs, threads);
    else
        SortOnThreads<8>(items, count, names, runs, threads);
}

}  // namespace textresgen
