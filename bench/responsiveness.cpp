// Responsiveness: while the real window runs a chain of converters that take 500 ms each, another
// thread posts an event to the window's thread every 10 ms, and each is timed from its posting to
// its handling. The window is as late as that for anything a user does.
#include <QCoreApplication>
#include <cstdio>
#include <thread>

#include "harness.h"

namespace varlo::bench {

namespace {

constexpr int kDefaultFiles = 10;
constexpr int kDefaultRuns = 3;
constexpr int kConvertMs = 500;
constexpr auto kTick = std::chrono::milliseconds(10);
constexpr double kTargetMs = 30;

}  // namespace

void Responsiveness(const Options& options) {
    const int files = options.Files(kDefaultFiles);
    const int runs = options.Runs(kDefaultRuns);
    const std::vector<std::string> inputs = InputPaths("in", files);
    std::vector<double> lateMs;
    std::vector<double> chainSeconds;
    for (int run = 0; run < runs; ++run) {
        CBenchWindow window(BenchConverter("sleep " + std::to_string(kConvertMs)));
        window.Show();
        QObject receiver;  // of the window's thread: its events wait behind the window's
        std::jthread ticker([&](std::stop_token stop) {
            for (Clock::time_point next = Clock::now() + kTick; !stop.stop_requested();
                 next += kTick) {
                std::this_thread::sleep_until(next);
                QMetaObject::invokeMethod(
                    &receiver,
                    [&lateMs, posted = Clock::now()] { lateMs.push_back(MsSince(posted)); },
                    Qt::QueuedConnection);
            }
        });
        const Clock::time_point start = Clock::now();
        window.Drop(inputs);
        const Clock::time_point end = window.WaitIdle(std::chrono::seconds(files * 5 + 10));
        ticker.request_stop();
        ticker.join();
        QCoreApplication::sendPostedEvents(&receiver, QEvent::MetaCall);
        CheckLog("responsiveness", window.Log(), inputs, "");
        chainSeconds.push_back(std::chrono::duration<double>(end - start).count());
    }
    const Summary late = Summarize(lateMs);
    std::printf("chain of %d converters of %d ms each through the window, Jobs=1, %d runs\n", files,
                kConvertMs, runs);
    std::printf(
        "  events posted every %lld ms: %zu; late by median %.2f ms, p99 %.2f ms, "
        "min %.2f ms, max %.2f ms\n",
        static_cast<long long>(kTick.count()), lateMs.size(), late.median, late.p99, late.min,
        late.max);
    std::printf("  chain: median %.3f s for %.3f s of converter time\n", Median(chainSeconds),
                files * kConvertMs / 1000.0);
    PrintTarget("p99 lateness of an event during a chain", late.p99, "ms", kTargetMs);
}

}  // namespace varlo::bench
