#pragma once

#if defined(_MSC_VER) && !defined(__clang__) && (defined(_M_X64) || defined(_M_IX86))
#include <xmmintrin.h>
#endif

// For functions whose only effect is a prefetch: GCC counts a prefetch as no
// effect at all, so it drops calls to such a function unless it was inlined
// before that analysis.
#if defined(__GNUC__) || defined(__clang__)
#define TEXTRESGEN_PREFETCH_INLINE __attribute__((always_inline)) inline
#elif defined(_MSC_VER)
#define TEXTRESGEN_PREFETCH_INLINE __forceinline
#else
#define TEXTRESGEN_PREFETCH_INLINE inline
#endif

namespace textresgen {

// Asks the processor to start loading the cache line holding `address`. Only
// a hint: it never faults, whatever the address, and does nothing where the
// compiler offers no way to give it.
//
// The tree's records and units lie in the order the definition file gave
// them; after sorting they are visited in name order, which for a shuffled
// file means a cache miss (and on a virtual machine a costly page walk) per
// record. Asking for the records a few visits ahead lets those misses overlap.
TEXTRESGEN_PREFETCH_INLINE void PrefetchForRead(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    (void)address;
#endif
}

}  // namespace textresgen
