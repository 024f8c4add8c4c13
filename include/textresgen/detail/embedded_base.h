// The bases built into the application by textresgen_add_library(...
// EMBED_IN <app>), by layout fingerprint. They register before main, from
// the source EMBED_IN generates; Catalog::Load reads them.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include <textresgen/runtime.h>

namespace textresgen::detail {
namespace embedded_base_impl {

struct EmbeddedBase {
    std::string fingerprint;
    std::string tag;
    EmbeddedTexts texts;
};

// Function-local statics: registration runs during the static
// initialisation of the application's own sources, in no known order.
inline std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

inline std::vector<EmbeddedBase>& Registry() {
    static std::vector<EmbeddedBase> bases;
    return bases;
}

// The base of `fingerprint`, copied out under the lock; texts null when none.
inline EmbeddedBase Find(const char* fingerprint) {
    const std::lock_guard<std::mutex> lock(RegistryMutex());
    for (const EmbeddedBase& base : Registry())
        if (base.fingerprint == fingerprint) return base;
    return {"", "", nullptr};
}

}  // namespace embedded_base_impl
using namespace embedded_base_impl;

inline bool RegisterEmbeddedBase(const char* fingerprint, const char* tag, EmbeddedTexts texts) {
    const std::lock_guard<std::mutex> lock(RegistryMutex());
    for (EmbeddedBase& base : Registry()) {
        if (base.fingerprint == fingerprint) {
            base = {fingerprint, tag, texts};
            return true;
        }
    }
    Registry().push_back({fingerprint, tag, texts});
    return true;
}

inline std::string EmbeddedBaseLanguage(const char* fingerprint) { return Find(fingerprint).tag; }

inline const void* EmbeddedBaseTexts(const char* fingerprint) {
    const EmbeddedTexts texts = Find(fingerprint).texts;
    // Called outside the lock: the first call fills the structure.
    return texts == nullptr ? nullptr : texts();
}

}  // namespace textresgen::detail
