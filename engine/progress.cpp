#include "progress.h"

#include "convert_controller.h"

namespace varlo {

void CProgress::SetSection(const std::string& section) {
    m_section = section;
    m_view.SetCaption(section);
    m_shownCaption = section;
}

void CProgress::BatchBegins() {
    m_batchStart = std::chrono::steady_clock::now();
}

void CProgress::Show(const CScheduler& schedule) {
    const bool busy = schedule.Busy();
    if (busy != m_shownBusy) {
        m_shownBusy = busy;
        m_view.SetBusy(busy);
    }
    const std::size_t total = busy ? schedule.Total() : 0;
    const std::size_t done = busy ? schedule.Done() : 0;
    std::string caption = m_section;
    if (busy) {
        caption += " - " + std::to_string(done) + "/" + std::to_string(total);
    }
    if (caption != m_shownCaption) {
        m_shownCaption = caption;
        m_view.SetCaption(caption);
    }
    if (done != m_shownDone || total != m_shownTotal) {
        m_shownDone = done;
        m_shownTotal = total;
        m_view.SetProgress(done, total);
    }
}

void CProgress::BatchEnded(const BatchOutcome& outcome) {
    m_lastBatch = outcome;
    if (std::chrono::steady_clock::now() - m_batchStart >= kNotifyAfter && !m_view.IsActive()) {
        m_view.NotifyBatchEnded(BatchSummary(outcome), outcome.failed + outcome.stopped > 0);
    }
}

}  // namespace varlo
