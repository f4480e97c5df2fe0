// What runs next, without a window: the limit, queue order, a stop and a batch's outcome.
#include "engine/scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/system_text.h"
#include "language.h"

namespace varlo {
namespace {

// A conversion under way that notes its stop.
class CNotedRun : public IRunningConversion {
public:
    explicit CNotedRun(bool& stopped) : m_stopped(stopped) {}
    void Stop() override { m_stopped = true; }
    void StopNow() override { m_stopped = true; }

private:
    bool& m_stopped;
};

class SchedulerTest : public ::testing::Test {
protected:
    // Starts what the schedule lets start, as the controller does.
    void StartWhatMay() {
        while (m_schedule.MayStartAnother() && !m_schedule.Queue().empty()) {
            const std::string file = m_schedule.TakeNext();
            const std::size_t number = m_schedule.Begin(file + ".aac");
            m_stopped.resize(number + 1);
            m_schedule.Attach(number, std::make_unique<CNotedRun>(m_stopped[number]));
            m_mostRunning = std::max(m_mostRunning, m_schedule.Running());
        }
    }
    // The records due now, in the order they are taken.
    std::string TakeRecords() {
        std::string records;
        while (auto due = m_schedule.TakeDue()) {
            records += due->record;
        }
        return records;
    }

    CScheduler m_schedule;
    std::deque<bool> m_stopped;
    std::size_t m_mostRunning = 0;
};

TEST_F(SchedulerTest, AtMostJobsRunAndRecordsComeInQueueOrder) {
    m_schedule.SetJobs(3);
    m_schedule.SetChaining(true);
    m_schedule.Enqueue({"1", "2", "3", "4", "5", "6"});
    StartWhatMay();
    std::string log;
    // Ends in any order; a record waits, unseen, for those before it.
    for (std::size_t number : {2u, 1u, 3u, 4u, 0u, 5u}) {
        m_schedule.End(number, {}, std::to_string(number + 1), RunOutcome::Succeeded);
        log += TakeRecords();
        if (number == 3) {
            EXPECT_EQ("", log) << "1 still runs, so nothing is due";
        }
        StartWhatMay();
    }
    EXPECT_EQ("123456", log);
    EXPECT_EQ(3u, m_mostRunning);
    EXPECT_EQ(6u, m_schedule.Done());
    EXPECT_EQ(6u, m_schedule.Total());
    EXPECT_FALSE(m_schedule.Busy());
    const std::optional<BatchOutcome> batch = m_schedule.TakeBatchEnd();
    ASSERT_TRUE(batch.has_value());
    EXPECT_EQ(6u, batch->files);
    EXPECT_FALSE(m_schedule.TakeBatchEnd().has_value()) << "told once";
}

TEST_F(SchedulerTest, AStopReachesEveryRunDropsTheQueueAndEndsTheBatchWithItsOutcome) {
    m_schedule.SetJobs(2);
    m_schedule.SetChaining(true);
    m_schedule.Enqueue({"a", "b", "c", "d"});
    StartWhatMay();
    EXPECT_TRUE(m_schedule.Reserved("a.aac") && m_schedule.Reserved("b.aac"));
    m_schedule.End(0, {}, "a", RunOutcome::Failed);
    TakeRecords();
    StartWhatMay();  // c
    EXPECT_EQ(1u, m_schedule.Done());
    EXPECT_EQ(4u, m_schedule.Total());

    m_schedule.Stop();
    EXPECT_TRUE(m_stopped[1] && m_stopped[2]);
    EXPECT_TRUE(m_schedule.Queue().empty());
    EXPECT_FALSE(m_schedule.MayStartAnother());
    m_schedule.Enqueue({"late"});  // dropped while the stop waits: a batch of its own
    m_schedule.End(2, {}, "c", RunOutcome::Stopped);
    m_schedule.End(1, CStatus::Error(CStatus::Code::ReadFailed, "x", 5), "", RunOutcome::Stopped);
    EXPECT_FALSE(m_schedule.StopSettled()) << "records still due";
    TakeRecords();
    EXPECT_TRUE(m_schedule.StopSettled());
    EXPECT_FALSE(m_schedule.StopSettled()) << "once";
    const std::optional<BatchOutcome> batch = m_schedule.TakeBatchEnd();
    ASSERT_TRUE(batch.has_value());
    EXPECT_EQ(3u, batch->files);
    EXPECT_EQ(1u, batch->failed);
    EXPECT_EQ(2u, batch->stopped);
    EXPECT_EQ(4u, batch->total) << "d went with the stop, and counts";

    m_schedule.SetChaining(true);
    StartWhatMay();
    EXPECT_EQ(0u, m_schedule.Done());
    EXPECT_EQ(1u, m_schedule.Total());
    EXPECT_FALSE(m_schedule.Reserved("a.aac"));
}

TEST(BatchSummary, SaysHowTheBatchEndedInEachLanguage) {
    const test::CRestoreLanguage restore;
    const struct {
        BatchOutcome outcome;
        const char *japanese, *english;
    } cases[] = {
        {{48, 0, 0, 48}, "48 個のファイルを変換しました", "48 files converted"},
        {{1, 0, 0, 1}, "1 個のファイルを変換しました", "1 file converted"},
        {{48, 3, 0, 48}, "45 個を変換、3 個が失敗しました", "45 converted, 3 failed"},
        {{13, 0, 1, 48}, "48 個中 12 個で中止しました", "Stopped after 12 of 48"},
    };
    for (const auto& c : cases) {
        SetLanguage(Language::Japanese);
        EXPECT_EQ(NativeText(c.japanese), BatchSummary(c.outcome));
        SetLanguage(Language::English);
        EXPECT_EQ(c.english, BatchSummary(c.outcome));
    }
}

}  // namespace
}  // namespace varlo
