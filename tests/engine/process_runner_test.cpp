// Conversions that run while an event loop goes on: their end, a stop, and what a stop leaves.
#include "engine/process_runner.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "engine/core/path_parts.h"
#include "engine/platform/file_names.h"
#include "engine/platform/watchdog.h"
#include "process_gone.h"
#include "temp_folder.h"
#include "wait_loop.h"

namespace varlo {
namespace {

using namespace std::chrono_literals;

const std::string kFake = FAKE_CONVERTER_PATH;

class ProcessRunnerTest : public ::testing::Test {
protected:
    ProcessRunnerTest() { ::setenv("FAKE_BY_INPUT", "1", 1); }
    ~ProcessRunnerTest() override {
        ::unsetenv("FAKE_BY_INPUT");
        ::unsetenv("FAKE_PIDS");
    }

    // Starts a conversion of `input` whose end fills m_status and m_record.
    std::unique_ptr<IRunningConversion> Start(const std::string& input, const std::string& output) {
        m_ended = false;
        return m_runner.Start(kFake, input, output,
                              [this](CStatus status, std::string record, RunOutcome outcome) {
                                  m_ended = true;
                                  m_status = std::move(status);
                                  m_record = std::move(record);
                                  m_outcome = outcome;
                              });
    }

    bool RunUntilEnded(std::chrono::milliseconds limit = 10s) {
        return m_loop.RunUntil([this] { return m_ended; }, limit);
    }

    test::CTempFolder m_folder;
    CWaitLoop m_loop;
    CProcessRunner m_runner{m_loop};
    bool m_ended = false;
    CStatus m_status;
    std::string m_record;
    RunOutcome m_outcome = RunOutcome::Stopped;
};

TEST_F(ProcessRunnerTest, EndsAreReportedFromTheLoopNeverFromStart) {
    auto running = Start("exit-3.wav", "exit-3.aac");
    EXPECT_FALSE(m_ended);
    ASSERT_TRUE(RunUntilEnded());
    EXPECT_TRUE(m_status.Ok());
    EXPECT_EQ(
        "exit-3.wav -> exit-3.aac\r\nexiting\r\n変換プログラムが終了コード 3 で終了しました。\r\n",
        m_record);
    EXPECT_EQ(RunOutcome::Failed, m_outcome);

    // A converter that cannot start is told the same way, a turn of the loop later.
    running = m_runner.Start("varlo-no-such-converter", "a.wav", "a.aac",
                             [this](CStatus, std::string record, RunOutcome outcome) {
                                 m_ended = true;
                                 m_record = std::move(record);
                                 m_outcome = outcome;
                             });
    m_ended = false;
    EXPECT_FALSE(m_ended);
    ASSERT_TRUE(RunUntilEnded());
    EXPECT_EQ(
        "a.wav -> a.aac\r\nvarlo-no-such-converter: No such file or directory\r\n"
        "変換プログラムを起動できませんでした。\r\n",
        m_record);
    EXPECT_EQ(RunOutcome::Failed, m_outcome) << "one that never ran converted nothing";
}

TEST_F(ProcessRunnerTest, StopEndsAStubbornConverterAndAllItStarted) {
    const std::string pids = m_folder.Path() + "/../" + "pids-" + std::to_string(::getpid());
    ::setenv("FAKE_PIDS", pids.c_str(), 1);
    test::WriteFile("kept.aac", "not mine");
    auto running = Start("stubborn.wav", "stubborn.aac");
    ASSERT_TRUE(
        m_loop.RunUntil([&] { return PathExists(pids) && PathExists("stubborn.aac"); }, 10s));
    pid_t converter = 0, child = 0;
    ASSERT_EQ(2, std::sscanf(test::ReadFile(pids).c_str(), "%d %d", &converter, &child));
    ::unlink(pids.c_str());

    const auto asked = std::chrono::steady_clock::now();
    running->Stop();
    ASSERT_TRUE(RunUntilEnded());
    const auto took = std::chrono::steady_clock::now() - asked;
    EXPECT_GE(took, CProcessRunner::kStopGrace - 100ms) << "it was asked before it was killed";
    EXPECT_LT(took, CProcessRunner::kStopGrace + 1s);
    EXPECT_TRUE(test::GoneSoon(converter));
    EXPECT_TRUE(test::GoneSoon(child));
    EXPECT_TRUE(m_status.Ok());
    EXPECT_EQ("stubborn.wav -> stubborn.aac\r\nchild " + std::to_string(child) +
                  "\r\n変換を中止しました。\r\n",
              m_record);
    EXPECT_EQ(std::set<std::string>{"kept.aac"}, m_folder.Names())
        << "no capture, no half-written output, and what was there before stays";
}

// The converter's and its helper's pids, once it is ready and has written them. The loop does
// not run meanwhile: a converter's end is seen only when the test lets the loop run.
std::pair<pid_t, pid_t> Pids(const std::string& file) {
    pid_t converter = 0, helper = 0;
    for (int waited = 0; !PathExists(file) || std::sscanf(test::ReadFile(file).c_str(), "%d %d",
                                                          &converter, &helper) != 2;
         ++waited) {
        if (waited == 10000) {
            ADD_FAILURE() << "no pids in " << file;
            return {};
        }
        ::usleep(1000);
    }
    ::unlink(file.c_str());
    return {converter, helper};
}

TEST_F(ProcessRunnerTest, AStopReachesWhatTheConverterLeftAndRemovesTheOutputAfterIt) {
    const std::string pids = m_folder.Path() + "/../pids-" + std::to_string(::getpid());
    ::setenv("FAKE_PIDS", pids.c_str(), 1);
    for (const bool now : {false, true}) {
        SCOPED_TRACE(now ? "StopNow" : "Stop");
        const std::string input = now ? "stubborn.wav" : "leaves-helper.wav";
        auto running = Start(input, "out.aac");
        const auto [converter, helper] = Pids(pids);
        now ? running->StopNow() : running->Stop();
        ASSERT_TRUE(now ? m_ended : RunUntilEnded());
        EXPECT_TRUE(test::GoneSoon(converter));
        EXPECT_TRUE(test::GoneSoon(helper));
        ::usleep(100000);  // a helper still alive would have written the output again by now
        EXPECT_EQ(std::set<std::string>{}, m_folder.Names());
        EXPECT_NE(std::string::npos, m_record.find("変換を中止しました。")) << m_record;
    }
}

TEST_F(ProcessRunnerTest, AStopAfterTheConverterEndedLeavesItsEndAndOutputAlone) {
    const std::string pids = m_folder.Path() + "/../pids-" + std::to_string(::getpid());
    ::setenv("FAKE_PIDS", pids.c_str(), 1);
    auto running = Start("sleep-0.wav", "done.aac");
    const pid_t converter = Pids(pids).first;
    while (!test::Gone(converter)) {  // it has ended; the loop has not run since it started
        ::usleep(1000);
    }
    running->Stop();
    ASSERT_TRUE(RunUntilEnded());
    EXPECT_EQ("sleep-0.wav -> done.aac\r\nslept\r\n", m_record);
    EXPECT_EQ(RunOutcome::Succeeded, m_outcome);
    EXPECT_EQ("partial", test::ReadFile("done.aac"));

    // An output that is a link, dangling or not, is the user's: a stop never deletes it.
    ::symlink("target.aac", "link.aac");
    running = Start("stubborn.wav", "link.aac");
    Pids(pids);
    running->Stop();
    ASSERT_TRUE(RunUntilEnded());
    EXPECT_EQ(NameKind::Link, KindOfName("link.aac"));
}

TEST_F(ProcessRunnerTest, WhatAConverterLeavesEndsBeforeItsRecord) {
    const std::string pids = m_folder.Path() + "/../pids-" + std::to_string(::getpid());
    ::setenv("FAKE_PIDS", pids.c_str(), 1);
    auto running = Start("leaves-child.wav", "child.aac");
    const pid_t child = Pids(pids).second;
    ASSERT_TRUE(RunUntilEnded());
    EXPECT_TRUE(test::Gone(child)) << "the record must not say done while its work goes on";
    EXPECT_EQ("leaves-child.wav -> child.aac\r\n", m_record);
}

TEST_F(ProcessRunnerTest, NothingOutlivesTheProgramHoweverItEnds) {
    const std::string pids = m_folder.Path() + "/../pids-" + std::to_string(::getpid());
    const std::string seen = pids + "-seen";
    ::setenv("FAKE_PIDS", pids.c_str(), 1);
    test::CTempFolder captures(/*makeCurrent=*/false);
    test::WriteFile("older.aac", "the user's");
    for (const bool killed : {false, true}) {
        SCOPED_TRACE(killed ? "SIGKILL" : "exit()");
        const auto program = [&] {
            ::setenv("XDG_RUNTIME_DIR", captures.Path().c_str(), 1);
            StartWatchdog();  // as the program's main does
            CWaitLoop loop;
            CProcessRunner runner(loop);
            // Converters that leave a child which outlives them, as a wrapper script's encoder.
            auto created = runner.Start(kFake, "stubborn.wav", "theirs.aac",
                                        [](CStatus, std::string, RunOutcome) {});
            const auto [converter, helper] = Pids(pids);
            auto existing = runner.Start(kFake, "stubborn-2.wav", "older.aac",
                                         [](CStatus, std::string, RunOutcome) {});
            const auto [converter2, helper2] = Pids(pids);
            test::WriteFile(seen, std::to_string(helper) + " " + std::to_string(helper2));
            killed ? (void)::raise(SIGKILL) : std::exit(1);  // as when the X server goes
        };
        const std::function<bool(int)> ended = [killed](int status) {
            return killed ? testing::KilledBySignal(SIGKILL)(status)
                          : testing::ExitedWithCode(1)(status);
        };
        EXPECT_EXIT(program(), ended, "");
        const auto [helper, helper2] = Pids(seen);
        EXPECT_TRUE(test::GoneSoon(helper)) << "what the converter started dies too";
        EXPECT_TRUE(test::GoneSoon(helper2));
        EXPECT_TRUE(m_loop.RunUntil([] { return !PathExists("theirs.aac"); }, 1s))
            << "the output it created goes";
        EXPECT_EQ(std::set<std::string>{"older.aac"}, m_folder.Names()) << "the user's stays";
        EXPECT_EQ(std::set<std::string>{}, captures.Names()) << "no capture anywhere";
    }
}

TEST_F(ProcessRunnerTest, StopOfAnOrdinaryConverterIsQuickAndKeepsAnOutputThatExisted) {
    const std::string pids = m_folder.Path() + "/../pids-" + std::to_string(::getpid());
    ::setenv("FAKE_PIDS", pids.c_str(), 1);
    test::WriteFile("sleep-60000.aac", "older");
    auto running = Start("sleep-60000.wav", "sleep-60000.aac");
    // Even one that is itself stopped (SIGSTOP) ends at once.
    const pid_t converter = Pids(pids).first;
    ::kill(converter, SIGSTOP);
    siginfo_t info;
    ASSERT_EQ(0, ::waitid(P_PID, static_cast<id_t>(converter), &info, WSTOPPED | WNOWAIT));
    const auto asked = std::chrono::steady_clock::now();
    running->Stop();
    ASSERT_TRUE(RunUntilEnded());
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 500ms);
    EXPECT_EQ("sleep-60000.wav -> sleep-60000.aac\r\n変換を中止しました。\r\n", m_record);
    EXPECT_EQ(std::set<std::string>{"sleep-60000.aac"}, m_folder.Names())
        << "an output that existed before is the user's, whatever the converter did to it";
}

TEST_F(ProcessRunnerTest, DroppingAConversionEndsItAndCleansUp) {
    auto running = Start("sleep-60000.wav", "dropped.aac");
    ASSERT_TRUE(m_loop.RunUntil([] { return PathExists("dropped.aac"); }, 10s));
    running.reset();
    EXPECT_FALSE(m_ended) << "nobody is told of a conversion that was dropped";
    EXPECT_EQ(std::set<std::string>{}, m_folder.Names());
}

TEST_F(ProcessRunnerTest, ConversionsAtOnceInOneFolderNeverShareACapture) {
    std::vector<std::string> records(3);
    std::vector<std::unique_ptr<IRunningConversion>> running;
    int ended = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string input = "sleep-200-" + std::to_string(i) + ".wav";
        running.push_back(m_runner.Start(kFake, input, "out" + std::to_string(i) + ".aac",
                                         [&, i](CStatus, std::string record, RunOutcome) {
                                             records[i] = std::move(record);
                                             ++ended;
                                         }));
    }
    ASSERT_TRUE(m_loop.RunUntil([&] { return ended == 3; }, 10s));
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ("sleep-200-" + std::to_string(i) + ".wav -> out" + std::to_string(i) +
                      ".aac\r\nslept\r\n",
                  records[i]);
    }
}

}  // namespace
}  // namespace varlo
