// How far the conversions have come, told to the window: the busy state, the count in the
// caption and the progress, and a word at a batch's end to a user who went elsewhere. It takes
// the scheduler's events; the scheduler keeps what it knows of each file.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "scheduler.h"

namespace varlo {

class IConvertView;

class CProgress {
public:
    explicit CProgress(IConvertView& view) : m_view(view) {}

    // The caption's first part, the program's section; shown at once.
    void SetSection(const std::string& section);
    // A conversion starts on an idle window: a batch begins.
    void BatchBegins();
    // Tells the window where the scheduler stands, only what changed since it was last told.
    void Show(const CScheduler& schedule);
    // Keeps how the batch ended, and tells a user who went elsewhere of a long one.
    void BatchEnded(const BatchOutcome& outcome);

    // A batch that ends after at least this long is worth a word to a user who went elsewhere.
    static constexpr std::chrono::seconds kNotifyAfter{3};
    // How the last batch of conversions ended, once one has.
    const std::optional<BatchOutcome>& LastBatch() const { return m_lastBatch; }

private:
    IConvertView& m_view;
    std::string m_section;
    std::optional<BatchOutcome> m_lastBatch;
    std::chrono::steady_clock::time_point m_batchStart;
    // What the window was last told, so that it is told only of changes.
    bool m_shownBusy = false;
    std::string m_shownCaption;
    std::size_t m_shownDone = 0;
    std::size_t m_shownTotal = 0;
};

}  // namespace varlo
