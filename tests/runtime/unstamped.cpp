// Language libraries without a layout stamp, written by hand: one of the
// application's layout, one that leaves a member empty, one that writes a
// member more than the application's structure has, one that writes
// MORE_MEMBERS members more, one whose InitString throws an exception of a
// type of its own, one that needs another library. LANGUAGE_KIND selects.
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
#elif LANGUAGE_KIND == 4  // far longer than the application's structure
struct TextResource { typedef const wchar_t* S; struct _A { S Beta; S Count; S Name; } A; struct _Files { S few; S many; S one; S other; S two; S zero; } Files; S More[MORE_MEMBERS]; };
EXPORT void InitString(TextResource& t) {
    t.A.Beta = L"Beta (long)";
    t.A.Count = L"%d long";
    t.A.Name = L"%s";
    FillFiles(t);
    for (const wchar_t*& more : t.More) more = L"more";
}
#elif LANGUAGE_KIND == 5  // InitString throws; the exception's type (its type_info, its destructor) lives here
struct TextResource { typedef const wchar_t* S; struct _A { S Beta; S Count; S Name; } A; struct _Files { S few; S many; S one; S other; S two; S zero; } Files; };
struct OwnRefusal {
    virtual ~OwnRefusal() = default;
    virtual const char* What() const { return "refused"; }
};
EXPORT void InitString(TextResource& t) {
    t.A.Beta = L"Beta (throws)";
    throw OwnRefusal();
}
#elif LANGUAGE_KIND == 6  // needs a library (KIND 7) that is not where the loader looks
struct TextResource { typedef const wchar_t* S; struct _A { S Beta; S Count; S Name; } A; struct _Files { S few; S many; S one; S other; S two; S zero; } Files; };
extern "C" const wchar_t* RtAbsentText();
EXPORT void InitString(TextResource& t) {
    t.A.Beta = RtAbsentText();
    t.A.Count = L"%d needs";
    t.A.Name = L"%s";
    FillFiles(t);
}
#elif LANGUAGE_KIND == 7  // the library KIND 6 needs
EXPORT const wchar_t* RtAbsentText() { return L"Beta (absent)"; }
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
