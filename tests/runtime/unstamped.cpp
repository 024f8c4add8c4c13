// Language libraries without a layout stamp, written by hand: one of the
// application's layout, one that leaves a member empty, one that writes a
// member more than the application's structure has. LANGUAGE_KIND selects.
#if defined(_WIN32)
#define EXPORT extern "C" __declspec(dllexport)
#else
#define EXPORT extern "C" __attribute__((visibility("default")))
#endif

#if LANGUAGE_KIND == 1  // the application's layout
struct TextResource { typedef const wchar_t* S; struct _A { S Beta; S Count; S Name; } A; };
EXPORT void InitString(TextResource& t) {
    t.A.Beta = L"Beta (it)";
    t.A.Count = L"%d note";
    t.A.Name = L"%s";
}
#elif LANGUAGE_KIND == 2  // a member left empty
struct TextResource { typedef const wchar_t* S; struct _A { S Beta; S Count; S Name; } A; };
EXPORT void InitString(TextResource& t) {
    t.A.Beta = L"Beta (pt)";
    t.A.Count = L"%d notas";
}
#else  // a longer structure than the application's
struct TextResource { typedef const wchar_t* S; struct _A { S Beta; S Count; S Delta; S Name; } A; };
EXPORT void InitString(TextResource& t) {
    t.A.Beta = L"Beta (es)";
    t.A.Count = L"%d notas";
    t.A.Delta = L"Delta";
    t.A.Name = L"%s";
}
#endif
