#include "support/client_library.h"

#include "support/process.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {

std::u32string CodePoints(const wchar_t* text) {
    std::u32string points;
    for (; *text != L'\0'; ++text) {
        char32_t point = static_cast<char32_t>(*text);
        if (sizeof(wchar_t) == 2 && point >= 0xD800 && point <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (static_cast<char32_t>(text[1]) - 0xDC00);
            ++text;
        }
        points.push_back(point);
    }
    return points;
}

// The generated source declares InitString `__declspec(dllexport)`. On ELF
// and Mach-O that becomes default visibility, and everything else is hidden,
// so only what the generated code marks is exported.
bool PlatformBuild(ClientBuild& build, std::string& why) {
#ifdef _WIN32
    (void)build;
    why = "on Windows the client is built as a real DLL at build time: see Windows/WindowsClient";
    return false;
#else
    const std::string compiler = TEXTRESGEN_CXX_ID;
    build.library = "libtextresource.so";
    build.arguments = {"-std=c++17", "-shared", "-fPIC", "-fvisibility=hidden",
                       "-D__declspec(x)=__attribute__((visibility(\"default\")))"};
    if (compiler == "GNU") {
        // GCC converts the input itself; -ffreestanding keeps it from
        // including the (UTF-8) stdc-predef.h as if it were UTF-16 too.
        build.readsUtf16 = true;
        build.arguments.insert(build.arguments.end(), {"-ffreestanding", "-finput-charset=UTF-16LE"});
    } else if (compiler == "Clang" || compiler == "AppleClang") {
        build.readsUtf16 = false;  // Clang reads UTF-8 only
    } else {
        why = "no client build for the compiler " + compiler;
        return false;
    }
    build.arguments.insert(build.arguments.end(), {"textresouce.cpp", "probe.cpp", "-o", build.library});
    return true;
#endif
}

::testing::AssertionResult CompileClient(const ClientBuild& build, const std::filesystem::path& generated,
                                         const std::filesystem::path& client, std::u16string_view extraSource) {
    std::filesystem::create_directories(client);
    for (const char* name : {"textresouce.cpp", "textresouce.h"}) {
        const std::string bytes = ReadFileBytes(generated / name).value_or("");
        if (bytes.substr(0, 2) != "\xFF\xFE") return ::testing::AssertionFailure() << name << " is not generated";
        if (!WriteFileBytes(client / name, build.readsUtf16 ? bytes : Utf8FromUnits(UnitsFromUtf16Le(bytes))))
            return ::testing::AssertionFailure() << "cannot write " << (client / name);
    }
    const std::u16string probe = extraSource.empty() ? std::u16string(u"// no probe\n") : std::u16string(extraSource);
    if (!WriteFileBytes(client / "probe.cpp", build.readsUtf16 ? Utf16LeWithMark(probe) : Utf8FromUnits(probe)))
        return ::testing::AssertionFailure() << "cannot write the probe";
    RunOptions compile;
    compile.arguments = build.arguments;
    compile.workingDirectory = client;
    const RunResult compiled = RunProgram(TEXTRESGEN_CXX, compile);
    if (!compiled.started) return ::testing::AssertionFailure() << compiled.setupError;
    if (compiled.exitStatus != 0)
        return ::testing::AssertionFailure() << TEXTRESGEN_CXX << " failed:\n" << compiled.out << compiled.err;
    return ::testing::AssertionSuccess();
}

std::unique_ptr<SharedLibrary> BuildDefinitionLibrary(const std::filesystem::path& work, std::string_view definition,
                                                      std::string& why) {
    ClientBuild build;
    if (!PlatformBuild(build, why)) return nullptr;
    const std::filesystem::path generated = work / "generated";
    std::filesystem::create_directories(generated);
    EXPECT_TRUE(WriteFileBytes(generated / "TextResouce.txt", definition));
    RunOptions run;
    run.workingDirectory = generated;
    const RunResult result = RunProgram(TEXTRESGEN_EXE, run);
    EXPECT_TRUE(result.started && result.exitStatus == 0 && result.out.empty()) << result.out << result.err;
    const ::testing::AssertionResult compiled = CompileClient(build, generated, work / "client", u"");
    EXPECT_TRUE(compiled);
    if (!compiled) return nullptr;
    auto library = std::make_unique<SharedLibrary>(work / "client" / build.library);
    EXPECT_TRUE(library->Loaded()) << library->Error();
    if (!library->Loaded()) return nullptr;
    return library;
}

::testing::AssertionResult ReadMembers(const SharedLibrary& library, std::size_t count,
                                       std::vector<std::u32string>& texts) {
    const void* init = library.Symbol("InitString");
    if (init == nullptr) return ::testing::AssertionFailure() << "InitString not exported";
    // The structure holds only pointers, nested structures included: a
    // block of pointers in member order, with a guard on either side.
    const wchar_t kGuardText[] = L"guard";
    std::vector<const wchar_t*> block(count + 2, kGuardText);
    using Init = void (*)(const wchar_t** members);
    reinterpret_cast<Init>(const_cast<void*>(init))(block.data() + 1);
    if (block.front() != kGuardText || block.back() != kGuardText)
        return ::testing::AssertionFailure() << "InitString wrote outside " << count << " members";
    texts.clear();
    for (std::size_t i = 0; i < count; ++i) {
        if (block[i + 1] == nullptr || block[i + 1] == kGuardText)
            return ::testing::AssertionFailure() << "member " << i << " not assigned";
        texts.push_back(CodePoints(block[i + 1]));
    }
    return ::testing::AssertionSuccess();
}

}  // namespace textresgen::test
