// What every benchmark shares: the options, the statistics, the stand-in converter, a scratch
// folder, and the real window driven on Qt's offscreen platform.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <QEventLoop>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/profile_store.h"
#include "ui/qt/convert_dialog.h"
#include "ui/qt/file_chooser.h"

namespace varlo::bench {

using Clock = std::chrono::steady_clock;

// Anything that makes the figures meaningless; reported, then the benchmark stops.
class CBenchFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How much of each benchmark to run: 0 leaves each one its own default.
struct Options {
    int runs = 0;
    int files = 0;
    int Runs(int fallback) const { return runs > 0 ? runs : fallback; }
    int Files(int fallback) const { return files > 0 ? files : fallback; }
};

double MsSince(Clock::time_point start);
// The CPU time of this process so far, its children's not included.
double CpuSeconds();

struct Summary {
    double median, p99, min, max;
};
// `samples` is not empty; p99 is the nearest-rank one.
Summary Summarize(std::vector<double> samples);
inline double Median(const std::vector<double>& samples) {
    return Summarize(samples).median;
}

// One line: the figure, the target and whether it was met.
void PrintTarget(const std::string& what, double value, const char* unit, double target);

// The converter text that runs the stand-in converter: "print", "sleep MS" or "stubborn MS".
std::string BenchConverter(const std::string& mode);

// "<folder>/0001.wav" … as absolute paths: only the names matter to the stand-in converter, which
// reads nothing.
std::vector<std::string> InputPaths(const std::string& folder, int count);
// "<folder>/0001.aac" for "<folder>/0001.wav".
std::string OutputPath(const std::string& input);
// Stops the benchmark unless `log` holds a record for each input, in order: its header, then
// `body`.
void CheckLog(const char* way, const std::string& log, const std::vector<std::string>& inputs,
              const std::string& body);

// A fresh folder, the current one while it lives (captures are made there), with "config"
// inside for XDG_CONFIG_HOME, so that the user's own profile is never touched. Removed at the end.
class CScratchFolder {
public:
    CScratchFolder();
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    // Every conversion removes its captures; one left over is a fault worth stopping for.
    void CheckClean() const;

private:
    std::string m_path;
    std::string m_previous;
};

// Starts a program found along PATH, with nothing to read and its output thrown away; `fd`, when
// given, is its descriptor 3. Fails when the program cannot be started.
pid_t Spawn(std::vector<std::string> words, int fd = -1);
// Waits for a started program and gives its resource use; true when it exited with status 0.
bool Waited(pid_t pid, rusage* usage = nullptr);

// The user's profile (in the scratch folder) holding the given converter, auto-convert on and
// `jobs` conversions at once.
CProfileStore BenchProfile(const std::string& converter, int jobs = 1);

// The real window over a profile of its own: the given converter, auto-convert on and `jobs`
// conversions at once. It never opens a file dialog.
class CBenchWindow : private IFileChooser {
public:
    explicit CBenchWindow(const std::string& converter, int jobs = 1);

    CConvertDialog& Dialog() { return m_dialog; }
    std::string Log() { return m_dialog.GetText(ConvertField::Log); }
    // Shows the window and waits until it is on the (offscreen) screen.
    void Show();
    // Files dropped on the window, as a file manager drops them.
    void Drop(const std::vector<std::string>& paths);
    // Runs the event loop until no conversion runs; when the window last said so.
    Clock::time_point WaitIdle(std::chrono::seconds limit);

private:
    class CDialog : public CConvertDialog {
    public:
        using CConvertDialog::CConvertDialog;
        void SetBusy(bool busy) override;
        QEventLoop* idleLoop = nullptr;
        Clock::time_point idleAt;
    };

    std::optional<std::string> Choose(FileDialogKind, const std::string&, QWidget*) override;

    CProfileStore m_profile;
    CDialog m_dialog;
};

// Runs the window's event loop for a while.
void RunEventsFor(std::chrono::milliseconds time);

// The benchmarks.
void Responsiveness(const Options& options);
void StopLatency(const Options& options);
void WindowCost(const Options& options);
void Startup(const Options& options);
void RealAudio(const Options& options);
void DropSizing(const Options& options);
// Startup's child: the benchmark started with this argument alone is the program.
inline constexpr char kProbeArgument[] = "--first-paint-probe";
// The program's own start, telling `fd` when its window has first been painted.
int FirstPaintProbe(int fd);

}  // namespace varlo::bench
