#include "emit/walk_pieces.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "model/work_threads.h"

namespace textresgen {
namespace {

// Thrown inside a worker whose piece is no longer wanted: writing has ended.
struct Stopped {};

// Every thread, this one included, claims pieces in order, each into a slot
// of a small ring, and formats them; the one that finishes the piece due next
// writes it and every finished piece after it, and frees their slots. Pieces
// are at most one ring ahead of the one due.
class PieceRunner {
public:
    PieceRunner(Utf16Writer& file, const FormatPiece& format, std::vector<WalkCut> cuts, const PieceOptions& options,
                unsigned threads)
        : file_(file), format_(format), cuts_(std::move(cuts)), heldBytes_(options.heldBytes), slots_(2 * threads) {}

    // Work() claims pieces until none is left, so threads that cannot be
    // started leave theirs to the others.
    void Run(unsigned threads) {
        RunOnThreads(threads, [this](unsigned) { Work(); });
        if (failure_) std::rethrow_exception(failure_);
    }

private:
    struct Slot {
        std::string bytes;
        std::size_t piece = 0;
        bool busy = false;  // claimed and not yet written
        bool done = false;  // formatted
    };

    // Holds a piece's bytes; past heldBytes, waits for the piece to be due
    // and writes through to the file, which no other thread touches then.
    class PieceSink final : public ByteSink {
    public:
        PieceSink(PieceRunner& runner, Slot& slot) : runner_(runner), slot_(slot) {}

        bool Write(const unsigned char* data, std::size_t size) override {
            if (!through_ && slot_.bytes.size() + size <= runner_.heldBytes_) {
                slot_.bytes.append(reinterpret_cast<const char*>(data), size);
                return true;
            }
            if (!through_) {
                runner_.WaitUntilDue(slot_.piece);
                through_ = true;
                runner_.WriteHeld(slot_);
            }
            runner_.file_.PrintEncoded(data, size);
            return true;
        }
        bool Close() override { return true; }
        void Discard() override {}

    private:
        PieceRunner& runner_;
        Slot& slot_;
        bool through_ = false;
    };

    std::size_t PieceCount() const { return cuts_.size() - 1; }
    Slot& SlotOf(std::size_t piece) { return slots_[piece % slots_.size()]; }

    void WriteHeld(Slot& slot) {
        file_.PrintEncoded(reinterpret_cast<const unsigned char*>(slot.bytes.data()), slot.bytes.size());
        slot.bytes.clear();
    }

    void WaitUntilDue(std::size_t piece) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || (due_ == piece && !writing_); });
        if (stop_) throw Stopped{};
    }

    // Called with the lock held; takes it off while writing.
    void WriteFinished(std::unique_lock<std::mutex>& lock) {
        if (writing_) return;  // the thread writing will come to it
        writing_ = true;
        while (!stop_ && due_ < PieceCount() && SlotOf(due_).done) {
            Slot& slot = SlotOf(due_);
            lock.unlock();
            WriteHeld(slot);  // may throw: the caller records it
            lock.lock();
            slot.busy = false;
            slot.done = false;
            ++due_;
            changed_.notify_all();
        }
        writing_ = false;
        changed_.notify_all();
    }

    void Work() {
        Utf16Writer out;
        for (;;) {
            Slot* slot = nullptr;
            try {
                {
                    std::unique_lock<std::mutex> lock(mutex_);
                    changed_.wait(lock, [&] { return stop_ || next_ >= PieceCount() || !SlotOf(next_).busy; });
                    if (stop_ || next_ >= PieceCount()) return;
                    slot = &SlotOf(next_);
                    slot->piece = next_++;
                    slot->busy = true;
                    slot->bytes.clear();
                }
                out.OpenContinuation(std::make_unique<PieceSink>(*this, *slot));
                format_(out, cuts_[slot->piece], cuts_[slot->piece + 1]);
                out.Close();
                std::unique_lock<std::mutex> lock(mutex_);
                slot->done = true;
                WriteFinished(lock);
            } catch (const Stopped&) {
                return;
            } catch (...) {
                std::lock_guard<std::mutex> lock(mutex_);
                if (!failure_) failure_ = std::current_exception();
                stop_ = true;
                changed_.notify_all();
                return;
            }
        }
    }

    Utf16Writer& file_;
    const FormatPiece& format_;
    const std::vector<WalkCut> cuts_;  // piece i runs from cuts_[i] to cuts_[i + 1]
    const std::size_t heldBytes_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Slot> slots_;
    std::size_t next_ = 0;  // the next piece to claim
    std::size_t due_ = 0;   // the next piece to write
    bool writing_ = false;  // a thread is writing finished pieces
    bool stop_ = false;
    std::exception_ptr failure_;
};

unsigned ThreadCount(const PieceOptions& options) {
    return options.threads > 0 ? options.threads : ThreadsForThisMachine();
}

}  // namespace

void WriteWalkInPieces(const ResourceTree& tree, Utf16Writer& file, const FormatPiece& format,
                       const PieceOptions& options) {
    const unsigned threads = ThreadCount(options);
    const std::size_t step = std::max<std::size_t>(options.positionsPerPiece, 1);
    std::vector<WalkCut> cuts{WalkCut{}};
    if (threads > 1 && tree.PositionCount() >= 2 * step) {
        for (std::size_t position = step; position < tree.PositionCount(); position += step) {
            const WalkCut cut = CutBefore(tree, position);
            if (cut != cuts.back()) cuts.push_back(cut);
        }
    }
    if (WalkEnd(tree) != cuts.back()) cuts.push_back(WalkEnd(tree));
    if (cuts.size() <= 2) {
        format(file, cuts.front(), cuts.back());
        return;
    }
    PieceRunner runner(file, format, std::move(cuts), options, threads);
    runner.Run(threads);
}

}  // namespace textresgen
