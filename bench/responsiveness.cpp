// Responsiveness: while the real window runs a chain of converters that take 500 ms each, and
// again while it takes in the record of a converter that prints 40 MB, another thread posts an
// event to the window's thread every 10 ms, and each is timed from its posting to its handling.
// The window is as late as that for anything a user does.
#include <QCoreApplication>
#include <cstdio>
#include <fstream>
#include <thread>

#include "common/system_text.h"
#include "engine/converter_run.h"
#include "engine/core/capture_lines.h"
#include "harness.h"

namespace varlo::bench {

namespace {

constexpr int kDefaultFiles = 10;
constexpr int kDefaultRuns = 3;
constexpr int kConvertMs = 500;
constexpr auto kTick = std::chrono::milliseconds(10);
constexpr double kTargetMs = 30;
constexpr int kFloodMegabytes = 40;
constexpr double kFloodTargetMs = 100;
constexpr double kFloodInLogTargetS = 2;

// Runs `work` on the window's thread while another thread posts it an event every kTick; adds
// how late each was handled, in ms.
template <class Work>
void Ticked(std::vector<double>& lateMs, Work&& work) {
    QObject receiver;  // of the window's thread: its events wait behind the window's
    std::jthread ticker([&](std::stop_token stop) {
        for (Clock::time_point next = Clock::now() + kTick; !stop.stop_requested(); next += kTick) {
            std::this_thread::sleep_until(next);
            QMetaObject::invokeMethod(
                &receiver, [&lateMs, posted = Clock::now()] { lateMs.push_back(MsSince(posted)); },
                Qt::QueuedConnection);
        }
    });
    work();
    ticker.request_stop();
    ticker.join();
    QCoreApplication::sendPostedEvents(&receiver, QEvent::MetaCall);
}

// This process's memory now ("VmRSS") or at its peak ("VmHWM"), in MB.
double MemoryMb(const std::string& which) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(which + ":", 0) == 0) {
            return std::stod(line.substr(which.size() + 1)) / 1024;
        }
    }
    throw CBenchFailure("no " + which + " in /proc/self/status");
}

// The peak starts again from what is in use now.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Checks the record of one "flood" run: its header, the converter's end, the first and the last
// line printed, and one line in between about what was left out; gives the converter's end.
Clock::time_point CheckFlood(const std::string& log, const std::string& input) {
    const std::string header = RecordHeader(input, OutputPath(input));
    const std::string first = "000000000 " + std::string(89, '0') + "\r\n";
    char last[32];
    std::snprintf(last, sizeof last, "%09d ", kFloodMegabytes * 10'000 - 1);
    const std::size_t ended = header.size() + 6;
    const std::size_t firstAt = log.find("\r\n", ended) + 2;
    const std::string_view note = Text(TextId::OutputNotShown);
    const std::string gapLine = "\r\n" + NativeText(note.substr(0, note.find("%1")));
    const std::size_t gap = log.find(gapLine);
    if (log.rfind(header + "ended ", 0) != 0 || log.compare(firstAt, first.size(), first) != 0 ||
        !log.ends_with(std::string(last) + std::string(89, '0') + "\r\n") ||
        gap == std::string::npos || log.find(gapLine, gap + 1) != std::string::npos ||
        log.size() > kKeepWhole + 1024) {
        throw CBenchFailure("flood: unexpected log of " + std::to_string(log.size()) +
                            " bytes from \"" + log.substr(0, 80) + "\"");
    }
    return Clock::time_point(std::chrono::nanoseconds(std::stoll(log.substr(ended))));
}

void Flood(int runs) {
    const std::vector<std::string> inputs = InputPaths("in", 1);
    std::vector<double> lateMs, inLogS, peakMb, boundMb;
    for (int run = 0; run < runs; ++run) {
        CBenchWindow window(BenchConverter("flood " + std::to_string(kFloodMegabytes)));
        window.Show();
        const double before = MemoryMb("VmRSS");
        ResetPeak();
        Clock::time_point end;
        Ticked(lateMs, [&] {
            window.Drop(inputs);
            end = window.WaitIdle(std::chrono::seconds(120));
        });
        peakMb.push_back(MemoryMb("VmHWM") - before);
        const std::string log = window.Log();
        inLogS.push_back(std::chrono::duration<double>(end - CheckFlood(log, inputs[0])).count());
        boundMb.push_back(2.0 * double(log.size()) / (1 << 20) + 50);
    }
    const Summary late = Summarize(lateMs);
    std::printf("a converter that prints %d MB, through the window, %d runs\n", kFloodMegabytes,
                runs);
    std::printf(
        "  events posted every %lld ms: %zu; late by median %.2f ms, p99 %.2f ms, max %.2f ms\n",
        static_cast<long long>(kTick.count()), lateMs.size(), late.median, late.p99, late.max);
    std::printf("  record in the log after the converter's end: median %.3f s (%.3f-%.3f)\n",
                Median(inLogS), Summarize(inLogS).min, Summarize(inLogS).max);
    std::printf("  peak memory above the idle window: median %.1f MB (bound %.1f MB)\n",
                Median(peakMb), Median(boundMb));
    PrintTarget("max lateness while a 40 MB record goes in", late.max, "ms", kFloodTargetMs);
    PrintTarget("40 MB record in the log", Median(inLogS), "s", kFloodInLogTargetS);
    PrintTarget("peak memory growth, twice the log + 50 MB", Median(peakMb), "MB", Median(boundMb));
}

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
        Clock::time_point start, end;
        Ticked(lateMs, [&] {
            start = Clock::now();
            window.Drop(inputs);
            end = window.WaitIdle(std::chrono::seconds(files * 5 + 10));
        });
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
    Flood(runs);
}

}  // namespace varlo::bench
