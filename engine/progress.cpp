#include "progress.h"

#include <algorithm>
#include <cmath>

#include "common/system_text.h"
#include "convert_controller.h"

namespace varlo {

std::string TimeLeftText(std::chrono::seconds left) {
    const long long seconds = std::max<long long>(left.count(), 0);
    if (seconds <= 50) {
        // Nobody counts the last seconds one by one: up to the next ten.
        return NativeText(TextId::SecondsLeft,
                          {std::to_string(std::max<long long>((seconds + 9) / 10, 1) * 10)});
    }
    const long long minutes = std::max<long long>((seconds + 30) / 60, 1);
    if (minutes < 60) {
        return NativeText(TextId::MinutesLeft, {std::to_string(minutes)});
    }
    return NativeText(TextId::HoursLeft, {std::to_string((seconds + 1800) / 3600)});
}

std::string ProgressTip(const ProgressShown& progress) {
    std::string tip = std::to_string(progress.done) + "/" + std::to_string(progress.total);
    if (!progress.timeLeft.empty()) {
        tip += " - " + progress.timeLeft;
    }
    return tip;
}

void CProgress::SetSection(const std::string& section) {
    m_section = section;
    m_view.SetCaption(section);
    m_shownCaption = section;
}

void CProgress::BatchBegins() {
    m_batchStart = m_clock();
}

void CProgress::Show(const CScheduler& schedule) {
    const bool busy = schedule.Busy();
    if (busy != m_shownBusy) {
        m_shownBusy = busy;
        m_view.SetBusy(busy);
    }
    ProgressShown shown;
    if (busy) {
        shown.done = schedule.Done();
        shown.total = schedule.Total();
        const CScheduler::Work work = schedule.WorkDone();
        shown.fraction = work.total > 0 ? std::clamp(work.done / work.total, 0.0, 1.0) : 0.0;
        // Throughput so far, whatever ran at once: the work left goes at the pace of the work done.
        const auto elapsed = m_clock() - m_batchStart;
        if (work.done > 0 && elapsed >= kGuessAfter) {
            const double left = std::chrono::duration<double>(elapsed).count() *
                                (work.total - work.done) / work.done;
            shown.timeLeft = TimeLeftText(std::chrono::seconds(std::llround(left)));
        }
    }
    std::string caption = m_section;
    if (busy) {
        caption += " - " + ProgressTip(shown);
    }
    if (caption != m_shownCaption) {
        m_shownCaption = caption;
        m_view.SetCaption(caption);
    }
    if (shown != m_shown) {
        m_shown = shown;
        m_view.SetProgress(shown);
    }
}

void CProgress::BatchEnded(const BatchOutcome& outcome) {
    m_lastBatch = outcome;
    if (m_clock() - m_batchStart >= kNotifyAfter && !m_view.IsActive()) {
        m_view.NotifyBatchEnded(BatchSummary(outcome), outcome.failed + outcome.stopped > 0);
    }
}

}  // namespace varlo
