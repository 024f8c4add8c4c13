#include "utf8/utf16le_to_utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace textresgen {
namespace {

using Bytes = std::vector<unsigned char>;
const std::string kMark = "\xEF\xBB\xBF";

struct Converted {
    bool ok;
    std::string utf8;
    std::uint64_t errorOffset;
};

// Feeds `input` in chunks of `chunk` bytes (0: all at once).
Converted ConvertInChunks(const Bytes& input, std::size_t chunk) {
    Utf16LeToUtf8 converter;
    Converted result{true, {}, 0};
    const std::size_t step = chunk == 0 ? input.size() : chunk;
    for (std::size_t at = 0; at < input.size() && result.ok; at += step) {
        const std::size_t size = std::min(step, input.size() - at);
        result.ok = converter.Convert(input.data() + at, size, result.utf8);
    }
    if (result.ok) result.ok = converter.Finish(result.utf8);
    result.errorOffset = converter.ErrorOffset();
    return result;
}

struct GoodCase {
    const char* what;
    Bytes utf16le;
    std::string utf8;  // without the mark the converter always writes
};

const GoodCase kGoodCases[] = {
    {"empty", {}, ""},
    {"mark only", {0xFF, 0xFE}, ""},
    {"ASCII after mark", {0xFF, 0xFE, 0x41, 0x00}, "A"},
    {"no mark", {0x41, 0x00, 0x42, 0x00}, "AB"},
    {"mark later is a character", {0x41, 0x00, 0xFF, 0xFE}, "A\xEF\xBB\xBF"},
    {"CR LF kept", {0x0D, 0x00, 0x0A, 0x00}, "\r\n"},
    {"U+007F last one-byte", {0x7F, 0x00}, "\x7F"},
    {"U+0080 first two-byte", {0x80, 0x00}, "\xC2\x80"},
    {"U+07FF last two-byte", {0xFF, 0x07}, "\xDF\xBF"},
    {"U+0800 first three-byte", {0x00, 0x08}, "\xE0\xA0\x80"},
    {"hiragana a U+3042", {0x42, 0x30}, "\xE3\x81\x82"},
    {"U+FFFF", {0xFF, 0xFF}, "\xEF\xBF\xBF"},
    {"U+10000 first pair", {0x00, 0xD8, 0x00, 0xDC}, "\xF0\x90\x80\x80"},
    {"U+20BB7 pair", {0x42, 0xD8, 0xB7, 0xDF}, "\xF0\xA0\xAE\xB7"},
    {"U+10FFFF last pair", {0xFF, 0xDB, 0xFF, 0xDF}, "\xF4\x8F\xBF\xBF"},
};

TEST(Utf16LeToUtf8, ConvertsEachUnitAndPairAndStartsWithTheUtf8Mark) {
    for (const GoodCase& c : kGoodCases) {
        const Converted result = ConvertInChunks(c.utf16le, 0);
        EXPECT_TRUE(result.ok) << c.what;
        EXPECT_EQ(result.utf8, kMark + c.utf8) << c.what;
    }
}

TEST(Utf16LeToUtf8, GivesTheSameBytesWhateverTheChunkSize) {
    // Mark, "a", U+20BB7, CR LF, U+3042: every boundary splits something.
    const Bytes input = {0xFF, 0xFE, 0x61, 0x00, 0x42, 0xD8, 0xB7, 0xDF,
                         0x0D, 0x00, 0x0A, 0x00, 0x42, 0x30};
    const std::string expected = kMark + "a\xF0\xA0\xAE\xB7\r\n\xE3\x81\x82";
    for (std::size_t chunk = 1; chunk <= input.size(); ++chunk) {
        const Converted result = ConvertInChunks(input, chunk);
        EXPECT_TRUE(result.ok) << "chunk " << chunk;
        EXPECT_EQ(result.utf8, expected) << "chunk " << chunk;
    }
}

struct BadCase {
    const char* what;
    Bytes utf16le;
    std::uint64_t offset;  // byte offset of the unit that has no UTF-8 form
};

const BadCase kBadCases[] = {
    {"low surrogate alone", {0xFF, 0xFE, 0x41, 0x00, 0x00, 0xDC}, 4},
    {"high surrogate before a letter", {0x41, 0x00, 0x00, 0xD8, 0x41, 0x00}, 2},
    {"high surrogate before a high one", {0x00, 0xD8, 0x00, 0xD8, 0x00, 0xDC}, 0},
    {"high surrogate at the end", {0xFF, 0xFE, 0x41, 0x00, 0x3D, 0xD8}, 4},
    {"odd last byte", {0xFF, 0xFE, 0x41, 0x00, 0x42}, 4},
};

TEST(Utf16LeToUtf8, RefusesWhatHasNoUtf8FormAndSaysWhere) {
    for (const BadCase& c : kBadCases) {
        for (std::size_t chunk : {std::size_t{0}, std::size_t{1}}) {
            const Converted result = ConvertInChunks(c.utf16le, chunk);
            EXPECT_FALSE(result.ok) << c.what << ", chunk " << chunk;
            EXPECT_EQ(result.errorOffset, c.offset) << c.what << ", chunk " << chunk;
        }
    }
}

}  // namespace
}  // namespace textresgen
