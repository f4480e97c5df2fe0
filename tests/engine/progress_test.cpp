// What the window is told of a run of conversions: the work weighted by size, and the time left
// once it can be guessed, on a clock the test moves.
#include "engine/progress.h"

#include <gtest/gtest.h>

#include "common/system_text.h"
#include "fake_view.h"
#include "language.h"

namespace varlo {
namespace {

using namespace std::chrono_literals;
constexpr std::uint64_t kMB = 1024 * 1024;

class ProgressTest : public ::testing::Test {
protected:
    ProgressTest() { m_progress.SetSection("varloGui"); }

    // Queues files of these sizes (none: not sized) and begins as many as `jobs` of them.
    void Queue(const std::vector<std::optional<std::uint64_t>>& sizes, std::size_t jobs) {
        m_schedule.Enqueue(std::vector<std::string>(sizes.size(), "f.wav"), sizes);
        m_progress.BatchBegins();
        for (std::size_t i = 0; i < jobs; ++i) {
            m_schedule.TakeNext();
            m_schedule.Begin("f" + std::to_string(i) + ".aac", sizes[i]);
        }
        m_progress.Show(m_schedule);
    }
    void End(std::size_t number) {
        m_schedule.End(number, {}, "rec", RunOutcome::Succeeded);
        while (m_schedule.TakeDue()) {
        }
        m_progress.Show(m_schedule);
    }

    test::CFakeView m_view;
    std::chrono::steady_clock::time_point m_now{};
    CProgress m_progress{m_view, [this] { return m_now; }};
    CScheduler m_schedule;
};

TEST_F(ProgressTest, TheWorkIsWeighedBySizeAndAFileNotSizedCountsAsTheMean) {
    struct Case {
        std::vector<std::optional<std::uint64_t>> sizes;
        double fractionAfterTheFirst;
    };
    const Case cases[] = {
        {{40 * kMB, kMB, kMB, kMB}, 40.0 / 43},
        {{kMB, 40 * kMB, kMB, kMB}, 1.0 / 43},
        {{std::nullopt, 2 * kMB, 4 * kMB}, 3.0 / 9},  // the mean of 2 and 4
        {{std::nullopt, std::nullopt}, 0.5},          // none sized: each file counts as one
    };
    for (const Case& c : cases) {
        CScheduler schedule;
        schedule.Enqueue(std::vector<std::string>(c.sizes.size(), "f.wav"), c.sizes);
        schedule.TakeNext();
        schedule.Begin("f.aac", c.sizes[0]);
        schedule.End(0, {}, "", RunOutcome::Failed);  // an end counts, whatever it is
        const CScheduler::Work work = schedule.WorkDone();
        EXPECT_NEAR(c.fractionAfterTheFirst, work.done / work.total, 1e-9);
    }
}

TEST_F(ProgressTest, TheCountStaysAndTheTimeLeftFollowsOnlyAnEndAndTwoSeconds) {
    test::CRestoreLanguage restore;
    SetLanguage(Language::English);
    Queue({40 * kMB, kMB, kMB, kMB}, 3);
    m_now += 10s;
    m_progress.Show(m_schedule);
    EXPECT_EQ("varloGui - 0/4", m_view.caption) << "no end yet: no guess";
    EXPECT_EQ("", m_view.timeLeft);

    End(1);  // a small one first: its pace says 420 s for the rest
    EXPECT_EQ("varloGui - 0/4 - about 7 min left", m_view.caption) << "the count waits for 0";
    End(0);
    EXPECT_NEAR(41.0 / 43, m_view.fraction, 1e-9);
    EXPECT_EQ("varloGui - 2/4 - about 10 sec left", m_view.caption);

    m_schedule.TakeNext();
    m_schedule.Begin("f3.aac", kMB);
    End(2);
    EXPECT_EQ((std::pair<std::size_t, std::size_t>{3, 4}), m_view.progress);
}

TEST_F(ProgressTest, NoGuessBeforeTwoSecondsHavePassed) {
    Queue({kMB, kMB}, 2);
    m_now += 1s;
    End(0);
    EXPECT_EQ("varloGui - 1/2", m_view.caption);
    EXPECT_DOUBLE_EQ(0.5, m_view.fraction);
    m_now += 1s;
    m_progress.Show(m_schedule);
    EXPECT_EQ(NativeText("varloGui - 1/2 - 約 10 秒"), m_view.caption);
}

TEST(TimeLeftTextTest, RoundsAsPeopleSayIt) {
    test::CRestoreLanguage restore;
    SetLanguage(Language::English);
    const std::pair<std::chrono::seconds, const char*> cases[] = {
        {0s, "about 10 sec left"},    {3s, "about 10 sec left"}, {41s, "about 50 sec left"},
        {55s, "about 1 min left"},    {89s, "about 1 min left"}, {90s, "about 2 min left"},
        {3569s, "about 59 min left"}, {3575s, "about 1 h left"}, {3h + 35min, "about 4 h left"},
    };
    for (const auto& [left, text] : cases) {
        EXPECT_EQ(text, TimeLeftText(left)) << left.count();
    }
    SetLanguage(Language::Japanese);
    EXPECT_EQ(NativeText("約 2 分"), TimeLeftText(2min));
}

}  // namespace
}  // namespace varlo
