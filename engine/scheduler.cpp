#include "engine/scheduler.h"

#include <algorithm>
#include <utility>

#include "common/system_text.h"

namespace varlo {

void CScheduler::Sizes::Add(const std::optional<std::uint64_t>& size, int sign) {
    if (size) {
        known += sign * static_cast<double>(*size);
        sized += sign;
    } else {
        unsized += sign;
    }
}

void CScheduler::Enqueue(const std::vector<std::string>& paths,
                         const std::vector<std::optional<std::uint64_t>>& sizes) {
    m_queue.insert(m_queue.end(), paths.begin(), paths.end());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::optional<std::uint64_t> size = i < sizes.size() ? sizes[i] : std::nullopt;
        m_queueSizes.push_back(size);
        m_queued.Add(size);
    }
}

std::string CScheduler::TakeNext() {
    std::string next = std::move(m_queue.front());
    m_queue.pop_front();
    m_queued.Add(m_queueSizes.front(), -1);
    m_queueSizes.pop_front();
    return next;
}

std::size_t CScheduler::Begin(std::string outputKey, std::optional<std::uint64_t> size) {
    if (!m_inBatch) {
        m_inBatch = true;
        m_begun = m_done = 0;
        m_outcome = {};
        m_begunSizes = m_endedSizes = {};
    }
    ++m_begun;
    m_begunSizes.Add(size);
    m_underway.push_back({std::move(outputKey), size, nullptr, false, {}, {}});
    return m_firstNumber + m_underway.size() - 1;
}

void CScheduler::Attach(std::size_t number, std::unique_ptr<IRunningConversion> running) {
    At(number).running = std::move(running);
}

void CScheduler::End(std::size_t number, CStatus status, std::string record, RunOutcome outcome) {
    Underway& conversion = At(number);
    conversion.ended = true;
    conversion.status = std::move(status);
    conversion.record = std::move(record);
    m_endedSizes.Add(conversion.size);
    ++m_outcome.files;
    if (outcome == RunOutcome::Stopped) {
        ++m_outcome.stopped;
    } else if (outcome == RunOutcome::Failed || !conversion.status.Ok()) {
        ++m_outcome.failed;
    }
}

std::optional<CScheduler::Finished> CScheduler::TakeDue() {
    if (m_underway.empty() || !m_underway.front().ended) {
        return std::nullopt;
    }
    Underway due = std::move(m_underway.front());
    m_underway.pop_front();
    ++m_firstNumber;
    ++m_done;
    return Finished{std::move(due.status), std::move(due.record)};
}

const std::string* CScheduler::DueRecord() const {
    if (m_underway.empty() || !m_underway.front().ended || !m_underway.front().status.Ok()) {
        return nullptr;
    }
    return &m_underway.front().record;
}

std::size_t CScheduler::Running() const {
    return static_cast<std::size_t>(std::count_if(m_underway.begin(), m_underway.end(),
                                                  [](const Underway& c) { return !c.ended; }));
}

bool CScheduler::Reserved(const std::string& outputKey) const {
    return std::any_of(m_underway.begin(), m_underway.end(),
                       [&](const Underway& c) { return c.outputKey == outputKey; });
}

void CScheduler::Stop() {
    if (!Busy()) {
        return;
    }
    m_stopping = true;
    m_chaining = false;
    m_outcome.total = std::max(m_outcome.total, Total());
    m_queue.clear();
    m_queueSizes.clear();
    m_queued = {};
    for (Underway& conversion : m_underway) {
        if (!conversion.ended && conversion.running != nullptr) {
            conversion.running->Stop();
        }
    }
}

void CScheduler::StopNow() {
    Stop();
    // An end is told from inside StopNow and marks its entry; none is taken meanwhile.
    for (std::size_t i = 0; i < m_underway.size(); ++i) {
        if (!m_underway[i].ended && m_underway[i].running != nullptr) {
            m_underway[i].running->StopNow();
        }
    }
}

bool CScheduler::StopSettled() {
    if (!m_stopping || Busy()) {
        return false;
    }
    m_stopping = false;
    return true;
}

CScheduler::Work CScheduler::WorkDone() const {
    const double known = m_begunSizes.known + m_queued.known;
    const std::size_t sized = m_begunSizes.sized + m_queued.sized;
    const std::size_t unsized = m_begunSizes.unsized + m_queued.unsized;
    if (sized == 0 || known <= 0) {
        // Nothing to weigh by: every file counts as one.
        return {static_cast<double>(m_endedSizes.sized + m_endedSizes.unsized),
                static_cast<double>(sized + unsized)};
    }
    const double mean = known / static_cast<double>(sized);
    return {m_endedSizes.known + mean * static_cast<double>(m_endedSizes.unsized),
            known + mean * static_cast<double>(unsized)};
}

std::optional<BatchOutcome> CScheduler::TakeBatchEnd() {
    if (!m_inBatch || Busy()) {
        return std::nullopt;
    }
    m_inBatch = false;
    // A stop counted what it dropped from the queue; otherwise the batch is what began.
    m_outcome.total = std::max(m_outcome.total, m_begun);
    return m_outcome;
}

}  // namespace varlo
