// Stop latency: from the stop to the end being reported, for a converter that obeys SIGTERM and
// for one that ignores it (killed after the grace period). Two ways each: Stop() on the engine's
// runner over its own loop, and the 中止 button of the real window.
#include <QPushButton>
#include <cstdio>
#include <optional>

#include "engine/converter_run.h"
#include "engine/process_runner.h"
#include "harness.h"
#include "res/resource.h"
#include "tests/support/wait_loop.h"

namespace varlo::bench {

namespace {

constexpr int kDefaultRuns = 5;
// Long enough for the converter to be under way (and ignoring SIGTERM) before the stop.
constexpr auto kSettle = std::chrono::milliseconds(150);

const std::string kStopped = OutcomeLine(CStatus(), ProcessEnd(), true);

double EngineStop(const std::string& converter) {
    CWaitLoop loop;
    CProcessRunner runner(loop);
    std::optional<Clock::time_point> endedAt;
    std::string record;
    const std::vector<std::string> input = InputPaths("in", 1);
    auto running = runner.Start(
        converter, input[0], OutputPath(input[0]),
        [&](CStatus, std::string r, RunOutcome) {  // a failure has no record, which the check finds
            endedAt = Clock::now();
            record = std::move(r);
        });
    loop.RunUntil([] { return false; }, kSettle);
    const Clock::time_point start = Clock::now();
    running->Stop();
    if (!loop.RunUntil([&] { return endedAt.has_value(); }, std::chrono::seconds(10))) {
        throw CBenchFailure("engine: the stopped conversion did not end within 10 s");
    }
    CheckLog("engine", record, input, kStopped);
    return std::chrono::duration<double, std::milli>(*endedAt - start).count();
}

double WindowStop(const std::string& converter) {
    CBenchWindow window(converter);
    window.Show();
    const std::vector<std::string> input = InputPaths("in", 1);
    window.Drop(input);
    RunEventsFor(kSettle);
    auto* button = qobject_cast<QPushButton*>(window.Dialog().Control(IDOK));
    const Clock::time_point start = Clock::now();
    button->click();
    const Clock::time_point end = window.WaitIdle(std::chrono::seconds(10));
    CheckLog("window", window.Log(), input, kStopped);
    return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

void StopLatency(const Options& options) {
    const int runs = options.Runs(kDefaultRuns);
    struct Case {
        const char* label;
        const char* converter;
        double targetMs;
    };
    std::printf("from the stop to the end reported, %d runs of each\n", runs);
    for (const Case& c : {Case{"obeys SIGTERM", "sleep 60000", 100},
                          Case{"ignores SIGTERM", "stubborn 60000", 2500}}) {
        const std::string converter = BenchConverter(c.converter);
        std::vector<double> engineMs;
        std::vector<double> windowMs;
        for (int run = 0; run < runs; ++run) {
            engineMs.push_back(EngineStop(converter));
            windowMs.push_back(WindowStop(converter));
        }
        const Summary engine = Summarize(engineMs);
        const Summary window = Summarize(windowMs);
        std::printf(
            "  %-15s engine Stop(): median %.1f ms (%.1f-%.1f); window 中止: median "
            "%.1f ms (%.1f-%.1f)\n",
            c.label, engine.median, engine.min, engine.max, window.median, window.min, window.max);
        PrintTarget(std::string("slowest stop, converter that ") + c.label,
                    std::max(engine.max, window.max), "ms", c.targetMs);
    }
}

}  // namespace varlo::bench
