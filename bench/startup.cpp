// Start-up: from starting the program to its window's first paint, and its peak memory. The
// benchmark starts itself as the program (FirstPaintProbe: the program's own start, which tells a
// pipe when its window has been exposed and painted, then closes it).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QWindow>
#include <cstdio>
#include <filesystem>

#include "harness.h"
#include "ui/qt/convert_app.h"

namespace varlo::bench {

namespace {

constexpr int kDefaultRuns = 10;
constexpr int kWarmUpRuns = 2;
constexpr double kTargetMs = 120;
constexpr double kTargetMb = 45;

// Tells the pipe once, when the first expose of a window has been handled.
class CFirstPaint : public QObject {
public:
    explicit CFirstPaint(int fd) : m_fd(fd) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_fd < 0 || event->type() != QEvent::Expose || !qobject_cast<QWindow*>(watched)) {
            return false;
        }
        // Queued: it runs once the expose, and with it the first paint, has been handled.
        QMetaObject::invokeMethod(
            qApp,
            [this] {
                if (m_fd >= 0 && ::write(std::exchange(m_fd, -1), "!", 1) == 1) {
                    QCoreApplication::exit();  // ends the window's loop: it closes as usual
                }
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    int m_fd;
};

// One start: its time to the first paint, and its peak memory.
void StartOnce(const std::string& self, std::vector<double>& ms, std::vector<double>& peakMb) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw CBenchFailure("pipe2 failed");
    }
    const Clock::time_point start = Clock::now();
    const pid_t pid = Spawn({self, kProbeArgument}, ends[1]);
    ::close(ends[1]);
    pollfd ready{ends[0], POLLIN, 0};
    char byte = 0;
    const bool told = ::poll(&ready, 1, 30'000) == 1 && ::read(ends[0], &byte, 1) == 1;
    ms.push_back(MsSince(start));
    ::close(ends[0]);
    if (!told) {
        ::kill(pid, SIGKILL);
    }
    rusage usage{};
    if (!Waited(pid, &usage) || !told) {
        throw CBenchFailure("the program did not show its window, or did not end by itself");
    }
    peakMb.push_back(double(usage.ru_maxrss) / 1024);
}

}  // namespace

void Startup(const Options& options) {
    const int runs = options.Runs(kDefaultRuns);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<double> ms, peakMb, warmUp;
    for (int run = 0; run < kWarmUpRuns + runs; ++run) {
        StartOnce(self, run < kWarmUpRuns ? warmUp : ms, run < kWarmUpRuns ? warmUp : peakMb);
    }
    const Summary time = Summarize(ms);
    std::printf("from spawn to the window's first paint, %d starts after %d untimed\n", runs,
                kWarmUpRuns);
    std::printf("  median %.1f ms (%.1f-%.1f), peak memory median %.1f MB\n", time.median, time.min,
                time.max, Median(peakMb));
    PrintTarget("start-up to first paint, median", time.median, "ms", kTargetMs);
    PrintTarget("peak resident memory, median", Median(peakMb), "MB", kTargetMb);
}

int FirstPaintProbe(int fd) {
    char name[] = "varloGui";
    char* argv[] = {name, nullptr};
    CConvertApp app(1, argv);
    CFirstPaint signal(fd);
    qApp->installEventFilter(&signal);
    return app.Run();
}

}  // namespace varlo::bench
