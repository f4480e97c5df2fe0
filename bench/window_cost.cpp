// The window's own cost: a chain of converters that do no work, dropped on the real window, against
// the same chain through the controller alone, over the tests' view of plain strings and the
// engine's own loop. The two take turns, after an untimed warm-up chain of each.
#include <cstdio>

#include "engine/convert_controller.h"
#include "engine/process_runner.h"
#include "harness.h"
#include "tests/support/fake_view.h"
#include "tests/support/wait_loop.h"

namespace varlo::bench {

namespace {

constexpr int kDefaultFiles = 500;
constexpr int kDefaultRuns = 5;
constexpr int kWarmUpFiles = 20;
constexpr double kTargetRatio = 1.5;
const std::string kBody = "bench converter: standard error\r\nbench converter: standard output\r\n";

// A chain's time, and the CPU time of this process (the window or the engine, not the converters).
struct Chain {
    double seconds;
    double cpuSeconds;
};

Chain WindowChain(const std::vector<std::string>& inputs) {
    CBenchWindow window(BenchConverter("print"));
    window.Show();
    const double cpu = CpuSeconds();
    const Clock::time_point start = Clock::now();
    window.Drop(inputs);
    const Clock::time_point end = window.WaitIdle(std::chrono::seconds(600));
    const Chain chain{std::chrono::duration<double>(end - start).count(), CpuSeconds() - cpu};
    CheckLog("window", window.Log(), inputs, kBody);
    return chain;
}

Chain EngineChain(const std::vector<std::string>& inputs) {
    test::CFakeView view;  // its fields are strings
    view.recording = false;
    CWaitLoop loop;
    CProcessRunner runner(loop);
    CProfileStore profile = BenchProfile(BenchConverter("print"));
    CConvertController controller(view, profile, runner);
    controller.SetArguments({"varloGui"});
    controller.Start();
    controller.StartQueue();
    const double cpu = CpuSeconds();
    const Clock::time_point start = Clock::now();
    controller.FilesDropped(inputs);
    if (!loop.RunUntil([&] { return !controller.Busy(); }, std::chrono::seconds(600))) {
        throw CBenchFailure("engine: the chain did not end within 600 s");
    }
    const Chain chain{MsSince(start) / 1000, CpuSeconds() - cpu};
    if (!view.errors.empty()) {
        throw CBenchFailure("engine: " + view.errors.front());
    }
    CheckLog("engine", view.GetText(ConvertField::Log), inputs, kBody);
    return chain;
}

}  // namespace

void WindowCost(const Options& options) {
    const int files = options.Files(kDefaultFiles);
    const int runs = options.Runs(kDefaultRuns);
    WindowChain(InputPaths("in", kWarmUpFiles));
    EngineChain(InputPaths("in", kWarmUpFiles));
    const std::vector<std::string> inputs = InputPaths("in", files);
    std::vector<double> seconds[2];  // window, engine
    std::vector<double> cpuMs[2];
    std::vector<double> ratios;  // of neighbouring runs, which share the machine's load
    for (int run = 0; run < runs; ++run) {
        // Who goes first alternates, so that neither always follows the other.
        Chain chains[2];
        chains[run % 2] = run % 2 == 0 ? WindowChain(inputs) : EngineChain(inputs);
        chains[1 - run % 2] = run % 2 == 0 ? EngineChain(inputs) : WindowChain(inputs);
        for (int way = 0; way < 2; ++way) {
            seconds[way].push_back(chains[way].seconds);
            cpuMs[way].push_back(chains[way].cpuSeconds * 1000 / files);
        }
        ratios.push_back(chains[0].seconds / chains[1].seconds);
    }
    std::printf("chain of %d converters that print two lines, Jobs=1, %d runs of each\n", files,
                runs);
    const char* names[] = {"window (offscreen, dropped)", "engine only (CWaitLoop)"};
    for (int way = 0; way < 2; ++way) {
        const Summary s = Summarize(seconds[way]);
        std::printf("  %-28s median %.3f s (%.3f-%.3f), %.3f ms/file, own CPU %.3f ms/file\n",
                    names[way], s.median, s.min, s.max, s.median * 1000 / files,
                    Median(cpuMs[way]));
    }
    PrintTarget("window / engine only, median of run pairs", Median(ratios), "x", kTargetRatio);
}

}  // namespace varlo::bench
