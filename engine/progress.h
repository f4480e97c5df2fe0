// How far the conversions have come, told to the window: the busy state, the count and the time
// left in the caption, the weighted progress, and a word at a batch's end to a user who went
// elsewhere. It takes the scheduler's events; the scheduler keeps what it knows of each file.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "scheduler.h"

namespace varlo {

class IConvertView;

// Where a run of conversions stands, as the window shows it; all empty when idle.
struct ProgressShown {
    std::size_t done = 0;   // files whose records are in, of
    std::size_t total = 0;  // every file of the batch
    double fraction = 0;    // of the work, weighted by each file's size: 0 to 1
    std::string timeLeft;   // "about 2 min left", once it can be told; else empty

    bool operator==(const ProgressShown&) const = default;
};

// The time left as people say it: seconds under a minute, minutes under an hour, else hours,
// in the current language ("about 2 min left").
std::string TimeLeftText(std::chrono::seconds left);

// The progress bar's tip: the count and the time left, "3/120 - about 2 min left".
std::string ProgressTip(const ProgressShown& progress);

class CProgress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    explicit CProgress(IConvertView& view, Clock clock = &std::chrono::steady_clock::now)
        : m_view(view), m_clock(std::move(clock)) {}

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
    // The time left is guessed once a conversion has ended and at least this has passed.
    static constexpr std::chrono::seconds kGuessAfter{2};
    // How the last batch of conversions ended, once one has.
    const std::optional<BatchOutcome>& LastBatch() const { return m_lastBatch; }

private:
    IConvertView& m_view;
    Clock m_clock;
    std::string m_section;
    std::optional<BatchOutcome> m_lastBatch;
    std::chrono::steady_clock::time_point m_batchStart;
    // What the window was last told, so that it is told only of changes.
    bool m_shownBusy = false;
    std::string m_shownCaption;
    ProgressShown m_shown;
};

}  // namespace varlo
