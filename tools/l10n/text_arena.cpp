#include "l10n/text_arena.h"

#include <cstring>

namespace textresl10n {
namespace {

// Large enough that block headers cost nothing, small enough that the last
// block's unused part does not matter.
constexpr std::size_t kBlockBytes = 256 * 1024;

}  // namespace

std::string_view TextArena::Keep(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > room_) {
        // A text larger than a quarter block gets a block of its own, so that
        // the current block's room is not thrown away for it.
        if (text.size() > kBlockBytes / 4) {
            blocks_.emplace_back(new char[text.size()]);
            std::memcpy(blocks_.back().get(), text.data(), text.size());
            return {blocks_.back().get(), text.size()};
        }
        // Not zeroed: a page of it is touched only when a text is copied there.
        blocks_.emplace_back(new char[kBlockBytes]);
        free_ = blocks_.back().get();
        room_ = kBlockBytes;
    }
    std::memcpy(free_, text.data(), text.size());
    const std::string_view kept(free_, text.size());
    free_ += text.size();
    room_ -= text.size();
    return kept;
}

}  // namespace textresl10n
