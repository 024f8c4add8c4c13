#include "text/console.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include "text/windows_api.h"

#include <string>
#endif

namespace textresgen {
namespace {

#ifdef _WIN32
// Writes the text to the console behind `which` and returns true, or returns
// false when that handle is no console (GetConsoleMode fails on anything else).
bool WriteToConsole(DWORD which, std::string_view bytes) {
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return false;
    if (bytes.empty()) return true;
    // Whole messages come here, so a character is not split between two calls.
    constexpr std::size_t kPiece = 1u << 20;
    std::wstring wide;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t size = bytes.size() - at < kPiece ? bytes.size() - at : kPiece;
        // Cut before a continuation byte, never inside a character.
        while (at + size < bytes.size() && size > 0 && (static_cast<unsigned char>(bytes[at + size]) & 0xC0) == 0x80)
            --size;
        if (size == 0) size = bytes.size() - at < kPiece ? bytes.size() - at : kPiece;
        const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data() + at, static_cast<int>(size), nullptr, 0);
        wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
        if (length > 0)
            MultiByteToWideChar(CP_UTF8, 0, bytes.data() + at, static_cast<int>(size), wide.data(), length);
        // Consoles take a limited amount per call: write in slices, a
        // surrogate pair kept whole.
        for (std::size_t from = 0; from < wide.size();) {
            std::size_t count = wide.size() - from < 8192 ? wide.size() - from : 8192;
            if (from + count < wide.size() && (wide[from + count] & 0xFC00) == 0xDC00) --count;
            DWORD written = 0;
            if (!WriteConsoleW(handle, wide.data() + from, static_cast<DWORD>(count), &written, nullptr) ||
                written == 0)
                return true;
            from += written;
        }
        at += size;
    }
    return true;
}
#endif

void Write(std::FILE* stream, [[maybe_unused]] unsigned long which, std::string_view bytes) {
    std::fflush(stream);  // what went through stdio before comes first
#ifdef _WIN32
    if (WriteToConsole(static_cast<DWORD>(which), bytes)) return;
    _setmode(_fileno(stream), _O_BINARY);
#endif
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

}  // namespace

#ifdef _WIN32
void WriteStandardOutput(std::string_view bytes) { Write(stdout, STD_OUTPUT_HANDLE, bytes); }
void WriteStandardError(std::string_view bytes) { Write(stderr, STD_ERROR_HANDLE, bytes); }
#else
void WriteStandardOutput(std::string_view bytes) { Write(stdout, 0, bytes); }
void WriteStandardError(std::string_view bytes) { Write(stderr, 0, bytes); }
#endif

}  // namespace textresgen
