// What runs next, with no window to show it: the queue of files, the conversions under way (at
// most Jobs at once), their records in queue order, a stop, and how a batch ended. The controller
// loads each file into the fields and starts the conversions that this lets start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/status.h"
#include "engine/core/batch_summary.h"
#include "engine/process_runner.h"

namespace varlo {

class CScheduler {
public:
    // A conversion's end, due for the log.
    struct Finished {
        CStatus status;
        std::string record;
    };

    // The files waiting, in order; an entry may be empty.
    const std::deque<std::string>& Queue() const { return m_queue; }
    // `sizes`, when given, holds each file's size on disk, none where it could not be sized.
    void Enqueue(const std::vector<std::string>& paths,
                 const std::vector<std::optional<std::uint64_t>>& sizes = {});
    // The first waiting file, taken off the queue; the queue must not be empty.
    std::string TakeNext();

    void SetJobs(std::size_t jobs) { m_jobs = jobs; }
    std::size_t Jobs() const { return m_jobs; }

    // While chaining, each end lets the next queued file start.
    void SetChaining(bool chaining) { m_chaining = chaining; }
    bool Chaining() const { return m_chaining; }
    // Chaining, and fewer than Jobs conversions run.
    bool MayStartAnother() const { return m_chaining && Running() < m_jobs; }

    // A conversion starts that will write `outputKey` (a FileKey): its number, in queue order.
    // On an idle window a new batch begins with it.
    // `size` is its input's size on disk, the measure of its work.
    std::size_t Begin(std::string outputKey, std::optional<std::uint64_t> size = std::nullopt);
    void Attach(std::size_t number, std::unique_ptr<IRunningConversion> running);
    // Conversion `number` has ended.
    void End(std::size_t number, CStatus status, std::string record, RunOutcome outcome);
    // The first conversion begun and not yet taken, once it has ended: records go to the log in
    // queue order, one that ends early waits for those before it.
    std::optional<Finished> TakeDue();
    // The record of the first conversion begun, once it has ended well: what TakeDue will give.
    // Null when there is none.
    const std::string* DueRecord() const;

    // Begun and not ended.
    std::size_t Running() const;
    // Begun and not yet taken.
    bool Busy() const { return !m_underway.empty(); }
    // True when a conversion under way writes that file.
    bool Reserved(const std::string& outputKey) const;

    // Asks every conversion under way to stop, drops the queue and the chain.
    void Stop();
    // Ends them at once: when this returns, every end has been told.
    void StopNow();
    // True once, when a stop has seen every conversion end.
    bool StopSettled();

    // How far the batch has come: records taken, of every file begun or queued.
    std::size_t Done() const { return m_done; }
    std::size_t Total() const { return m_begun + m_queue.size(); }
    // The same weighted by the work, each file's size: the sizes of the conversions that ended,
    // whatever their end, and of every file of the batch. A file that could not be sized counts
    // as the mean of the others (as one, when none could be).
    struct Work {
        double done = 0;
        double total = 0;
    };
    Work WorkDone() const;
    // From a batch's first start until its end has been taken.
    bool InBatch() const { return m_inBatch; }
    // Once nothing runs: how the batch ended, once.
    std::optional<BatchOutcome> TakeBatchEnd();

private:
    struct Underway {
        std::string outputKey;
        std::optional<std::uint64_t> size;
        std::unique_ptr<IRunningConversion> running;
        bool ended = false;
        CStatus status;
        std::string record;
    };
    Underway& At(std::size_t number) { return m_underway.at(number - m_firstNumber); }

    // What is known of the sizes of a set of files.
    struct Sizes {
        double known = 0;       // the sum of those sized
        std::size_t sized = 0;  // how many were
        std::size_t unsized = 0;
        void Add(const std::optional<std::uint64_t>& size, int sign = 1);
    };

    std::deque<std::string> m_queue;
    std::deque<std::optional<std::uint64_t>> m_queueSizes;  // beside m_queue
    Sizes m_queued;                                         // of m_queue
    Sizes m_begunSizes;                                     // in this batch
    Sizes m_endedSizes;
    std::deque<Underway> m_underway;  // in queue order, until taken
    std::size_t m_firstNumber = 0;    // the number of m_underway.front()
    std::size_t m_jobs = 1;
    bool m_chaining = false;
    bool m_stopping = false;
    bool m_inBatch = false;
    std::size_t m_begun = 0;  // in this batch
    std::size_t m_done = 0;
    BatchOutcome m_outcome;
};

}  // namespace varlo
