#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "text/byte_stream.h"
#include "text/platform_file.h"

namespace textresgen::cli {

// Opens a file a program reads by name: a regular file of at most `limit`
// bytes (text/platform_file.h: OpenRegularFileSource), never waited on. Null
// when refused, with why in `problem` (file_problem_words.h's words, the
// size of a file past the limit among them).
std::unique_ptr<ByteSource> OpenInput(const std::string& path, std::string& problem,
                                      std::uint64_t limit = kMaxTextFileBytes);

}  // namespace textresgen::cli
