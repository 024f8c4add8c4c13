#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace textresl10n {

// Holds many texts for as long as it lives, each copied once into large
// blocks. A view it returns stays valid when the arena is moved: a file of
// a hundred thousand names costs its texts and a few block headers, not a
// heap allocation and a string object per text.
class TextArena {
public:
    // A lasting copy of `text`.
    std::string_view Keep(std::string_view text);

private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;
    std::size_t room_ = 0;
};

}  // namespace textresl10n
