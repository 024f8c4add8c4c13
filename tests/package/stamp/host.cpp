// Usage: host <language library>... Prints the fingerprint this program was
// compiled with, then for each library the one it exports and whether the
// two are the same. Status 1 when a library cannot be loaded or has no stamp.
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "textresouce_layout.h"

using LayoutFn = const char* (*)();

int main(int argc, char** argv) {
    const char* const own = textresgen::LayoutOf<TextResource>::kFingerprint;
    std::printf("compiled with %s\n", own);
    for (int i = 1; i < argc; ++i) {
#ifdef _WIN32
        HMODULE library = LoadLibraryA(argv[i]);
        LayoutFn layout = library ? reinterpret_cast<LayoutFn>(
                                        reinterpret_cast<void*>(GetProcAddress(library, "TextResGenLayout")))
                                  : nullptr;
#else
        void* library = dlopen(argv[i], RTLD_NOW | RTLD_LOCAL);
        LayoutFn layout = library ? reinterpret_cast<LayoutFn>(dlsym(library, "TextResGenLayout")) : nullptr;
#endif
        if (!layout) {
            std::printf("%s: not loaded, or no TextResGenLayout\n", argv[i]);
            return 1;
        }
        const char* const stamp = layout();
        std::printf("%s: %s %s\n", argv[i], stamp, std::strcmp(stamp, own) == 0 ? "same" : "different");
    }
    return 0;
}
