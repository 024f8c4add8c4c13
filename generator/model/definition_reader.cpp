#include "model/definition_reader.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "definition/definition_line.h"

namespace textresgen {
namespace {

// Lines read on this thread before reading moves to a thread of its own: a
// small file is done before a thread would have started.
constexpr std::size_t kLinesBeforeThread = 4096;
// Units of names and texts a batch holds; a definition larger than a
// quarter of that is handed over without a copy.
constexpr std::size_t kBatchUnits = std::size_t{1} << 17;
constexpr std::size_t kBatches = 4;

// Definitions cut from their lines by the reading thread, for the thread
// that fills the tree: names and texts copied one after another, or one
// large definition that still lies in the reader's buffer.
struct DefinitionBatch {
    std::vector<char16_t> units;
    std::vector<std::uint32_t> lengths;  // name, text, name, text, ...
    DefinitionLine large;

    void Clear() {
        units.clear();
        lengths.clear();
        large = DefinitionLine{};
    }
    bool Empty() const { return lengths.empty() && !large.isEntry; }
    void Add(const DefinitionLine& definition) {
        units.insert(units.end(), definition.name.begin(), definition.name.end());
        units.insert(units.end(), definition.text.begin(), definition.text.end());
        lengths.push_back(static_cast<std::uint32_t>(definition.name.size()));
        lengths.push_back(static_cast<std::uint32_t>(definition.text.size()));
    }
    void DefineIn(ResourceTree& tree) const {
        const char16_t* next = units.data();
        for (std::size_t i = 0; i < lengths.size(); i += 2) {
            const WideStringView name(next, lengths[i]);
            const WideStringView text(next + lengths[i], lengths[i + 1]);
            tree.Define(name, text);
            next += lengths[i] + lengths[i + 1];
        }
        if (large.isEntry) tree.Define(large.name, large.text);
    }
};

// A ring of batches between the reading thread and the one filling the tree.
class BatchRing {
public:
    BatchRing() : batches_(kBatches) {}

    // Reading side: the next batch to fill, empty; null once stopped.
    DefinitionBatch* Fill() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stopped_ || published_ - released_ < batches_.size(); });
        if (stopped_) return nullptr;
        DefinitionBatch& batch = batches_[published_ % batches_.size()];
        batch.Clear();
        return &batch;
    }
    void Publish() { Change([&] { ++published_; }); }
    // Until every published batch is released; false once stopped.
    bool AwaitReleased() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stopped_ || released_ == published_; });
        return !stopped_;
    }
    void End(std::exception_ptr failure) {
        Change([&] {
            ended_ = true;
            failure_ = failure;
        });
    }

    // Filling side: the next published batch; null after the last.
    const DefinitionBatch* Take() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return ended_ || released_ < published_; });
        if (released_ == published_) return nullptr;
        return &batches_[released_ % batches_.size()];
    }
    void Release() { Change([&] { ++released_; }); }
    void Stop() { Change([&] { stopped_ = true; }); }
    std::exception_ptr Failure() const { return failure_; }

private:
    template <typename Update>
    void Change(Update update) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            update();
        }
        changed_.notify_all();
    }

    std::vector<DefinitionBatch> batches_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t published_ = 0;
    std::size_t released_ = 0;
    bool ended_ = false;
    bool stopped_ = false;
    std::exception_ptr failure_;
};

// The reading thread: reads and cuts the rest of the lines into batches.
void ReadIntoBatches(Utf16Reader& input, BatchRing& ring) {
    DefinitionBatch* batch = ring.Fill();
    WideStringView line;
    while (batch != nullptr && input.ReadLine(line)) {
        const DefinitionLine definition = SplitDefinitionLine(line);
        if (!definition.isEntry) continue;
        const std::size_t size = definition.name.size() + definition.text.size();
        if (size > kBatchUnits / 4) {
            // Too large to copy: handed over where it lies, and the line
            // buffer kept until the tree has it.
            if (!batch->Empty()) {
                ring.Publish();
                if ((batch = ring.Fill()) == nullptr) return;
            }
            batch->large = definition;
            ring.Publish();
            if (!ring.AwaitReleased() || (batch = ring.Fill()) == nullptr) return;
            continue;
        }
        if (batch->units.size() + size > kBatchUnits) {
            ring.Publish();
            if ((batch = ring.Fill()) == nullptr) return;
        }
        batch->Add(definition);
    }
    if (batch != nullptr && !batch->Empty()) ring.Publish();
}

// Reads the rest of the lines on a thread of its own while this one fills
// the tree. False when no thread could be started (nothing read then).
bool ReadOnTwoThreads(Utf16Reader& input, ResourceTree& tree) {
    BatchRing ring;
    std::thread reader;
    try {
        reader = std::thread([&] {
            std::exception_ptr failure;
            try {
                ReadIntoBatches(input, ring);
            } catch (...) {
                failure = std::current_exception();
            }
            ring.End(failure);
        });
    } catch (const std::system_error&) {
        return false;
    }
    struct Joiner {
        BatchRing& ring;
        std::thread& reader;
        ~Joiner() {
            ring.Stop();
            reader.join();
        }
    } joiner{ring, reader};
    while (const DefinitionBatch* batch = ring.Take()) {
        batch->DefineIn(tree);
        ring.Release();
    }
    if (ring.Failure()) std::rethrow_exception(ring.Failure());
    return true;
}

}  // namespace

void AddDefinitionLine(ResourceTree& tree, WideStringView line) {
    const DefinitionLine definition = SplitDefinitionLine(line);
    // The tree walks the dotted name itself, a batch of lines at a time, so
    // that the lookups of neighbouring lines overlap.
    if (definition.isEntry) tree.Define(definition.name, definition.text);
}

bool ReadDefinitions(Utf16Reader& input, ResourceTree& tree, unsigned threads) {
    WideStringView line;
    bool more = true;
    for (std::size_t lines = 0; more && (threads < 2 || lines < kLinesBeforeThread); ++lines) {
        more = input.ReadLine(line);
        if (more) AddDefinitionLine(tree, line);
    }
    if (more && !ReadOnTwoThreads(input, tree))
        while (input.ReadLine(line)) AddDefinitionLine(tree, line);
    if (input.ReadFailed()) return false;
    tree.Finish(threads);
    return true;
}

}  // namespace textresgen
