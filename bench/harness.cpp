#include "harness.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/converter_run.h"
#include "settings/settings.h"

extern char** environ;

namespace varlo::bench {

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Summary Summarize(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t half = samples.size() / 2;
    const double median =
        samples.size() % 2 != 0 ? samples[half] : (samples[half - 1] + samples[half]) / 2;
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * double(samples.size()))) - 1;
    return {median, samples[rank], samples.front(), samples.back()};
}

void PrintTarget(const std::string& what, double value, const char* unit, double target) {
    std::printf("  %-44s %9.3f %-3s target <= %g %s: %s\n", what.c_str(), value, unit, target, unit,
                value <= target ? "met" : "MISSED");
}

std::string BenchConverter(const std::string& mode) {
    // Quoted, as the converter text quotes a path with blanks.
    return "\"" BENCH_CONVERTER_PATH "\" " + mode;
}

std::vector<std::string> InputPaths(const std::string& folder, int count) {
    const std::string absolute = std::filesystem::absolute(folder).string();
    std::vector<std::string> paths;
    for (int n = 1; n <= count; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/%04d.wav", n);
        paths.push_back(absolute + name);
    }
    return paths;
}

std::string OutputPath(const std::string& input) {
    return input.substr(0, input.rfind('.')) + ".aac";
}

void CheckLog(const char* way, const std::string& log, const std::vector<std::string>& inputs,
              const std::string& body) {
    std::string expected;
    for (const std::string& input : inputs) {
        expected += RecordHeader(input, OutputPath(input)) + body;
    }
    if (log != expected) {
        const auto at = std::mismatch(log.begin(), log.end(), expected.begin(), expected.end());
        throw CBenchFailure(std::string(way) + ": unexpected log from \"" +
                            log.substr(std::size_t(at.first - log.begin()), 80) + "\"");
    }
}

CScratchFolder::CScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    m_path = std::string(base != nullptr && *base == '/' ? base : "/tmp") + "/varloBench.XXXXXX";
    if (::mkdtemp(m_path.data()) == nullptr) {
        throw CBenchFailure("mkdtemp " + m_path + ": " + std::generic_category().message(errno));
    }
    std::error_code ec;
    m_previous = std::filesystem::current_path(ec).string();
    std::filesystem::create_directory(m_path + "/config", ec);
    if (ec || ::chdir(m_path.c_str()) != 0) {
        throw CBenchFailure("cannot set up " + m_path);
    }
    ::setenv("XDG_CONFIG_HOME", (m_path + "/config").c_str(), 1);
}

CScratchFolder::~CScratchFolder() {
    std::error_code ec;
    std::filesystem::current_path(m_previous, ec);
    std::filesystem::remove_all(m_path, ec);
}

void CScratchFolder::CheckClean() const {
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
        if (entry.is_regular_file()) {
            throw CBenchFailure("left behind: " + entry.path().string());
        }
    }
}

pid_t Spawn(std::vector<std::string> words, int fd) {
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (fd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, fd, 3);
    }
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw CBenchFailure("cannot start " + words[0] + ": " +
                            std::generic_category().message(error));
    }
    return pid;
}

bool Waited(pid_t pid, rusage* usage) {
    int status = 0;
    return ::wait4(pid, &status, 0, usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

CProfileStore BenchProfile(const std::string& converter, int jobs) {
    CProfileStore profile(CProfileStore::DefaultPath());
    WriteExecFile(profile, "varloGui", converter);
    WriteAutoExec(profile, "varloGui", 1);
    WriteJobs(profile, "varloGui", jobs);
    const Settings settings = ReadSettings(profile, "varloGui");
    if (settings.execFile != converter || settings.autoExec != 1 || settings.jobs != jobs) {
        throw CBenchFailure("the profile " + profile.Path() + " did not keep the settings");
    }
    return profile;
}

CBenchWindow::CBenchWindow(const std::string& converter, int jobs)
    : m_profile(BenchProfile(converter, jobs)), m_dialog(m_profile, *this) {
    m_dialog.SetArguments({"varloGui"});
}

void CBenchWindow::Show() {
    m_dialog.show();
    const Clock::time_point start = Clock::now();
    while (m_dialog.windowHandle() == nullptr || !m_dialog.windowHandle()->isExposed()) {
        if (MsSince(start) > 10'000) {
            throw CBenchFailure("the window was not shown within 10 s");
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    RunEventsFor(std::chrono::milliseconds(50));  // the first paint and the queue's start
}

void CBenchWindow::Drop(const std::vector<std::string>& paths) {
    QByteArray list;
    for (const std::string& path : paths) {
        list += QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded() + "\r\n";
    }
    QMimeData mime;
    mime.setData(QStringLiteral("text/uri-list"), list);
    // To the native window, as the window system delivers it: the drop goes where the drag
    // entered.
    const QPoint at(m_dialog.width() / 2, m_dialog.height() - 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_dialog.windowHandle(), &enter);
    QCoreApplication::sendEvent(m_dialog.windowHandle(), &drop);
    if (!enter.isAccepted() || !drop.isAccepted()) {
        throw CBenchFailure("the window refused the drop");
    }
}

Clock::time_point CBenchWindow::WaitIdle(std::chrono::seconds limit) {
    if (m_dialog.Controller().Busy()) {
        QEventLoop loop;
        QTimer::singleShot(limit, &loop, &QEventLoop::quit);
        m_dialog.idleLoop = &loop;
        loop.exec();
        m_dialog.idleLoop = nullptr;
    }
    if (m_dialog.Controller().Busy()) {
        throw CBenchFailure("conversions still run after " + std::to_string(limit.count()) + " s");
    }
    return m_dialog.idleAt;
}

void CBenchWindow::CDialog::SetBusy(bool busy) {
    CConvertDialog::SetBusy(busy);
    if (!busy) {
        idleAt = Clock::now();
        if (idleLoop != nullptr) {
            idleLoop->quit();
        }
    }
}

std::optional<std::string> CBenchWindow::Choose(FileDialogKind, const std::string&, QWidget*) {
    throw CBenchFailure("a file dialog was asked for");
}

void RunEventsFor(std::chrono::milliseconds time) {
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace varlo::bench
