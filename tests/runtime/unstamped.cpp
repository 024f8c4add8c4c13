// Language libraries without a layout stamp, written by hand: one of the
// application's layout, one that leaves a member empty, one that writes a
// member more than the application's structure has. LANGUAGE_KIND selects.
#if defined(_WIN32)
#define EXPORT extern "C" __declspec(dllexport)
#else
#define EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Every kind has the plural group Files, filled in full.
template <class Texts>
void FillFiles(Texts& t) {
    t.Files.few = t.Files.many = t.Files.two = t.Files.zero = t.Files.other = L"%d files";
    t.Files.one = L"%d file";
}

#if LANGUAGE_KIND == 1  // the application's layout
struct TextResource { typedef const wchar_t* S; struct _A { S Beta; S Count; S Name; } A; struct _Files { S few; S many; S one; S other; S two; S zero; } Files; };
EXPORT void InitString(TextResource& t) {
    t.A.Beta = L"Beta (it)";
    t.A.Count = L"%d note";
    t.A.Name = L"%s";
    FillFiles(t);
}
#elif LANGUAGE_KIND == 2  // a member left empty
struct TextResource { typedef const wchar_t* S; struct _A { S Beta; S Count; S Name; } A; struct _Files { S few; S many; S one; S other; S two; S zero; } Files; };
EXPORT void InitString(TextResource& t) {
    t.A.Beta = L"Beta (pt)";
    t.A.Count = L"%d notas";
    FillFiles(t);
}
#else  // a longer structure than the application's
struct TextResource { typedef const wchar_t* S; struct _A { S Beta; S Count; S Delta; S Name; } A; struct _Files { S few; S many; S one; S other; S two; S zero; } Files; };
EXPORT void InitString(TextResource& t) {
    t.A.Beta = L"Beta (es)";
    t.A.Count = L"%d notas";
    t.A.Delta = L"Delta";
    t.A.Name = L"%s";
    FillFiles(t);
}
#endif
