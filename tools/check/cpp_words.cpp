#include "check/cpp_words.h"

#include <algorithm>
#include <iterator>

namespace textrescheck {
namespace {

constexpr std::string_view kKeywords[] = {
    "alignas", "alignof", "and", "and_eq", "asm", "auto", "bitand", "bitor", "bool", "break",
    "case", "catch", "char", "char16_t", "char32_t", "class",
    "compl", "const", "const_cast",
    "constexpr", "continue", "decltype", "default", "delete", "do", "double",
    "dynamic_cast", "else", "enum", "explicit", "export", "extern", "false", "float", "for",
    "friend", "goto", "if", "inline", "int", "long", "mutable", "namespace", "new",
    "noexcept", "not", "not_eq", "nullptr", "operator", "or", "or_eq", "private",
    "protected", "public", "register", "reinterpret_cast", "return", "short",
    "signed", "sizeof", "static", "static_assert", "static_cast", "struct", "switch",
    "template", "this", "thread_local", "throw", "true", "try", "typedef", "typeid",
    "typename", "union", "unsigned", "using", "virtual", "void", "volatile", "wchar_t",
    "while", "xor", "xor_eq",
};
// Keywords only since C++20: a header with them compiles in C++17 and fails
// from C++20 on.
constexpr std::string_view kCxx20Keywords[] = {
    "char8_t", "co_await", "co_return", "co_yield", "concept", "consteval", "constinit", "requires",
};

// Keywords, built-ins and predefined macros of GCC and Clang that reject a
// member of that name (each tried with GCC 12 and Clang 14). Sorted.
constexpr std::string_view kCompilerWords[] = {
    "_Alignas", "_Alignof", "_Atomic", "_Complex", "_Float16", "_GNU_SOURCE", "_Generic", "_Imaginary", "_LP64",
    "_Nonnull", "_Noreturn", "_Nullable", "_Pragma", "_Static_assert", "_Thread_local", "__BASE_FILE__",
    "__BYTE_ORDER__", "__CHAR16_TYPE__", "__CHAR_BIT__", "__COUNTER__", "__DATE__", "__DEPRECATED", "__ELF__",
    "__EXCEPTIONS", "__FILE_NAME__", "__FILE__", "__FINITE_MATH_ONLY__", "__FUNCTION__", "__GCC_IEC_559",
    "__GNUC__", "__GXX_ABI_VERSION", "__GXX_RTTI", "__GXX_WEAK__", "__INCLUDE_LEVEL__", "__INT_MAX__",
    "__LINE__", "__LP64__", "__NO_INLINE__", "__ORDER_LITTLE_ENDIAN__", "__PIC__", "__PIE__",
    "__PRETTY_FUNCTION__", "__REGISTER_PREFIX__", "__SEG_FS", "__SEG_GS", "__SIZEOF_INT__", "__SIZE_TYPE__",
    "__SSE__", "__STDCPP_DEFAULT_NEW_ALIGNMENT__", "__STDC_HOSTED__", "__STDC_UTF_16__", "__STDC__",
    "__STRICT_ANSI__", "__TIMESTAMP__", "__TIME__", "__USER_LABEL_PREFIX__", "__VERSION__", "__WCHAR_TYPE__",
    "__alignof", "__alignof__", "__amd64", "__amd64__", "__array_rank", "__asm", "__asm__", "__attribute",
    "__attribute__", "__auto_type", "__bases", "__bf16", "__building_module", "__builtin_LINE",
    "__builtin_addressof", "__builtin_bit_cast", "__builtin_choose_expr", "__builtin_convertvector",
    "__builtin_has_attribute", "__builtin_launder", "__builtin_offsetof", "__builtin_shufflevector",
    "__cdecl", "__char16_t", "__clang__", "__code_model_small__", "__complex__", "__const",
    "__const__", "__cplusplus", "__cpp_exceptions", "__cpp_rtti", "__decltype", "__direct_bases",
    "__extension__", "__float128", "__fp16", "__func__", "__gnu_linux__", "__has_attribute", "__has_builtin",
    "__has_c_attribute", "__has_cpp_attribute", "__has_declspec_attribute", "__has_extension", "__has_feature",
    "__has_include", "__has_include_next", "__has_trivial_copy", "__has_unique_object_representations",
    "__has_warning", "__imag", "__imag__", "__inline", "__inline__", "__int128", "__is_aggregate", "__is_class",
    "__is_identifier", "__is_literal", "__is_literal_type", "__is_pod", "__is_same", "__is_same_as",
    "__is_target_arch", "__is_target_os", "__k8", "__k8__", "__label__", "__linux", "__linux__",
    "__module_private__", "__null", "__nullptr", "__objc_yes", "__pic__", "__pie__", "__private_extern__",
    "__real", "__real__", "__reference_binds_to_temporary", "__restrict", "__restrict__", "__seg_fs",
    "__seg_gs", "__signed", "__signed__", "__stdcall", "__thread", "__typeof", "__typeof__",
    "__underlying_type", "__unix", "__unix__", "__volatile", "__volatile__", "__x86_64", "__x86_64__",
};

// Keywords of MSVC that GCC and Clang outside Windows accept as names. Sorted.
constexpr std::string_view kMsvcWords[] = {
    "__assume", "__based", "__declspec", "__event", "__except", "__fastcall", "__finally", "__forceinline",
    "__hook", "__identifier", "__if_exists", "__if_not_exists", "__int16", "__int32", "__int64", "__int8",
    "__interface", "__leave", "__multiple_inheritance", "__noop", "__ptr32", "__ptr64", "__raise",
    "__single_inheritance", "__sptr", "__super", "__thiscall", "__try", "__unaligned", "__unhook", "__uptr",
    "__uuidof", "__vectorcall", "__virtual_inheritance", "__w64", "__wchar_t",
};

// Macros that compilers for Windows predefine. Sorted.
constexpr std::string_view kWindowsMacros[] = {
    "_CPPRTTI", "_CPPUNWIND", "_DLL", "_INTEGRAL_MAX_BITS", "_MSC_FULL_VER", "_MSC_VER", "_MSVC_LANG", "_MT",
    "_M_AMD64", "_M_ARM64", "_M_IX86", "_M_X64", "_NATIVE_WCHAR_T_DEFINED", "_WCHAR_T_DEFINED", "_WIN32",
    "_WIN64", "__MINGW32__", "__MINGW64__",
};

template <std::size_t N>
bool InSorted(const std::string_view (&words)[N], std::string_view name) {
    return std::binary_search(std::begin(words), std::end(words), name);
}


constexpr std::string_view kWindows = "<windows.h>";
constexpr std::string_view kCLibrary = "the C library headers";
constexpr std::string_view kGnuMode = "GCC and Clang in their default GNU mode";

// Sorted by name for the binary search below.
constexpr CommonMacro kMacros[] = {
    {"APIENTRY", kWindows, "__stdcall", false},
    {"BUFSIZ", kCLibrary, "a number", false},
    {"CALLBACK", kWindows, "__stdcall", false},
    {"CHAR_BIT", kCLibrary, "8", false},
    {"CLOCKS_PER_SEC", kCLibrary, "a number", false},
    {"CONST", kWindows, "const", false},
    {"ChooseColor", kWindows, "ChooseColorW", true},
    {"ChooseFont", kWindows, "ChooseFontW", true},
    {"CopyFile", kWindows, "CopyFileW", true},
    {"CreateDialog", kWindows, "CreateDialogW", true},
    {"CreateDirectory", kWindows, "CreateDirectoryW", true},
    {"CreateEvent", kWindows, "CreateEventW", true},
    {"CreateFile", kWindows, "CreateFileW", true},
    {"CreateFont", kWindows, "CreateFontW", true},
    {"CreateMutex", kWindows, "CreateMutexW", true},
    {"CreateProcess", kWindows, "CreateProcessW", true},
    {"CreateWindow", kWindows, "CreateWindowW", true},
    {"DELETE", kWindows, "(0x00010000L)", false},
    {"DOMAIN", "<math.h> of MSVC", "a number", false},
    {"DefWindowProc", kWindows, "DefWindowProcW", true},
    {"DeleteFile", kWindows, "DeleteFileW", true},
    {"DialogBox", kWindows, "DialogBoxW", true},
    {"DispatchMessage", kWindows, "DispatchMessageW", true},
    {"DrawText", kWindows, "DrawTextW", true},
    {"EDOM", kCLibrary, "a number", false},
    {"EILSEQ", kCLibrary, "a number", false},
    {"EOF", kCLibrary, "(-1)", false},
    {"ERANGE", kCLibrary, "a number", false},
    {"ERROR", kWindows, "0", false},
    {"EXIT_FAILURE", kCLibrary, "1", false},
    {"EXIT_SUCCESS", kCLibrary, "0", false},
    {"FALSE", kWindows, "0", false},
    {"FAR", kWindows, "nothing", false},
    {"FILENAME_MAX", kCLibrary, "a number", false},
    {"FindFirstFile", kWindows, "FindFirstFileW", true},
    {"FindNextFile", kWindows, "FindNextFileW", true},
    {"FindResource", kWindows, "FindResourceW", true},
    {"FindText", kWindows, "FindTextW", true},
    {"FindWindow", kWindows, "FindWindowW", true},
    {"FormatMessage", kWindows, "FormatMessageW", true},
    {"GENERIC_READ", kWindows, "(0x80000000L)", false},
    {"GENERIC_WRITE", kWindows, "(0x40000000L)", false},
    {"GetClassName", kWindows, "GetClassNameW", true},
    {"GetCommandLine", kWindows, "GetCommandLineW", true},
    {"GetComputerName", kWindows, "GetComputerNameW", true},
    {"GetCurrentDirectory", kWindows, "GetCurrentDirectoryW", true},
    {"GetEnvironmentVariable", kWindows, "GetEnvironmentVariableW", true},
    {"GetFileAttributes", kWindows, "GetFileAttributesW", true},
    {"GetMessage", kWindows, "GetMessageW", true},
    {"GetModuleFileName", kWindows, "GetModuleFileNameW", true},
    {"GetModuleHandle", kWindows, "GetModuleHandleW", true},
    {"GetObject", kWindows, "GetObjectW", true},
    {"GetOpenFileName", kWindows, "GetOpenFileNameW", true},
    {"GetSaveFileName", kWindows, "GetSaveFileNameW", true},
    {"GetTempPath", kWindows, "GetTempPathW", true},
    {"GetUserName", kWindows, "GetUserNameW", true},
    {"GetWindowText", kWindows, "GetWindowTextW", true},
    {"HUGE_VAL", kCLibrary, "a number", false},
    {"IGNORE", kWindows, "0", false},
    {"IN", kWindows, "nothing", false},
    {"INFINITE", kWindows, "0xFFFFFFFF", false},
    {"INFINITY", kCLibrary, "a number", false},
    {"INT_MAX", kCLibrary, "a number", false},
    {"INT_MIN", kCLibrary, "a number", false},
    {"INVALID_HANDLE_VALUE", kWindows, "a cast expression", false},
    {"LC_ALL", kCLibrary, "a number", false},
    {"LONG_MAX", kCLibrary, "a number", false},
    {"LoadBitmap", kWindows, "LoadBitmapW", true},
    {"LoadCursor", kWindows, "LoadCursorW", true},
    {"LoadIcon", kWindows, "LoadIconW", true},
    {"LoadImage", kWindows, "LoadImageW", true},
    {"LoadLibrary", kWindows, "LoadLibraryW", true},
    {"LoadMenu", kWindows, "LoadMenuW", true},
    {"LoadString", kWindows, "LoadStringW", true},
    {"MAX_PATH", kWindows, "260", false},
    {"MB_CUR_MAX", kCLibrary, "an expression", false},
    {"MessageBox", kWindows, "MessageBoxW", true},
    {"MoveFile", kWindows, "MoveFileW", true},
    {"NAN", kCLibrary, "a number", false},
    {"NEAR", kWindows, "nothing", false},
    {"NO_ERROR", kWindows, "0L", false},
    {"NULL", kCLibrary, "a null pointer constant", false},
    {"OPAQUE", kWindows, "2", false},
    {"OPTIONAL", kWindows, "nothing", false},
    {"OUT", kWindows, "nothing", false},
    {"OVERFLOW", "<math.h> of MSVC", "a number", false},
    {"OutputDebugString", kWindows, "OutputDebugStringW", true},
    {"PASCAL", kWindows, "__stdcall", false},
    {"PeekMessage", kWindows, "PeekMessageW", true},
    {"PlaySound", kWindows, "PlaySoundW", true},
    {"PostMessage", kWindows, "PostMessageW", true},
    {"RAND_MAX", kCLibrary, "a number", false},
    {"RegisterClass", kWindows, "RegisterClassW", true},
    {"RemoveDirectory", kWindows, "RemoveDirectoryW", true},
    {"ReportEvent", kWindows, "ReportEventW", true},
    {"SEEK_CUR", kCLibrary, "1", false},
    {"SEEK_END", kCLibrary, "2", false},
    {"SEEK_SET", kCLibrary, "0", false},
    {"SIZE_MAX", kCLibrary, "a number", false},
    {"SYNCHRONIZE", kWindows, "(0x00100000L)", false},
    {"S_FALSE", kWindows, "a cast expression", false},
    {"S_OK", kWindows, "a cast expression", false},
    {"SendMessage", kWindows, "SendMessageW", true},
    {"SetWindowText", kWindows, "SetWindowTextW", true},
    {"ShellExecute", kWindows, "ShellExecuteW", true},
    {"StartDoc", kWindows, "StartDocW", true},
    {"TRANSPARENT", kWindows, "1", false},
    {"TRUE", kWindows, "1", false},
    {"TextOut", kWindows, "TextOutW", true},
    {"UINT_MAX", kCLibrary, "a number", false},
    {"UNDERFLOW", "<math.h> of MSVC", "a number", false},
    {"VOID", kWindows, "void", false},
    {"WCHAR_MAX", kCLibrary, "a number", false},
    {"WCHAR_MIN", kCLibrary, "a number", false},
    {"WEOF", kCLibrary, "a number", false},
    {"WINAPI", kWindows, "__stdcall", false},
    {"errno", kCLibrary, "an expression", false},
    {"far", kWindows, "nothing", false},
    {"hyper", kWindows, "__int64", false},
    {"i386", kGnuMode, "1", false, true},
    {"interface", kWindows, "struct", false},
    {"linux", kGnuMode, "1", false, true},
    {"near", kWindows, "nothing", false},
    {"small", kWindows, "char", false},
    {"stderr", kCLibrary, "an expression", false},
    {"stdin", kCLibrary, "an expression", false},
    {"stdout", kCLibrary, "an expression", false},
    {"unix", kGnuMode, "1", false, true},
};

}  // namespace

std::optional<ReservedWord> FindReservedWord(std::string_view name) {
    if (std::find(std::begin(kKeywords), std::end(kKeywords), name) != std::end(kKeywords)) return ReservedWord::Keyword;
    if (std::find(std::begin(kCxx20Keywords), std::end(kCxx20Keywords), name) != std::end(kCxx20Keywords))
        return ReservedWord::Cxx20Keyword;
    if (name == "typeof") return ReservedWord::GnuKeyword;
    if (InSorted(kCompilerWords, name)) return ReservedWord::CompilerWord;
    if (InSorted(kMsvcWords, name)) return ReservedWord::MsvcWord;
    if (InSorted(kWindowsMacros, name)) return ReservedWord::WindowsMacro;
    return std::nullopt;
}

bool IsCppKeyword(std::string_view name) {
    const auto word = FindReservedWord(name);
    return word == ReservedWord::Keyword || word == ReservedWord::Cxx20Keyword;
}

const CommonMacro* FindCommonMacro(std::string_view name) {
    const auto found = std::lower_bound(std::begin(kMacros), std::end(kMacros), name,
                                        [](const CommonMacro& m, std::string_view n) { return m.name < n; });
    return found != std::end(kMacros) && found->name == name ? found : nullptr;
}

}  // namespace textrescheck
