// Start-up time to the first shown window, and peak memory, of the program (startup_probe)
// against a bare Qt dialog of the same size (bare_dialog_probe).
//
// Each run starts a probe with posix_spawn and times it from just before the spawn until the
// probe writes its byte to our pipe, which it does at the first Expose or Paint of its window.
// The probe then closes its window and ends; wait4() gives its peak resident size. The two probes
// take turns, with a fresh settings folder and an empty current folder shared by all runs.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bench_support.h"

extern char** environ;

namespace {

using varlo::bench::CBenchFailure;
using varlo::bench::ErrorText;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultRuns = 15;
// Untimed rounds first: the loader, the font cache and the page cache settle before counting.
// The first one also tells the size of the program's window.
constexpr int kWarmUpRounds = 2;
constexpr int kTimeoutMs = 30'000;

constexpr double kStartupTargetMs = 120;
constexpr double kPeakTargetMb = 45;
// The bare dialog as measured on the reference machine, for comparison.
constexpr double kBareReferenceMs = 50;
constexpr double kBareReferenceMb = 32;

// As the probes read them (first_paint_signal.h, bare_dialog_probe.cpp).
constexpr char kFdVariable[] = "VARLO_FIRST_PAINT_FD";
constexpr char kSizeVariable[] = "VARLO_PROBE_DIALOG_SIZE";

struct Options {
    int runs = kDefaultRuns;
    std::string probe = STARTUP_PROBE_PATH;
    std::string bare = BARE_DIALOG_PROBE_PATH;
};

void PrintUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: startup_bench [--runs N] [--probe PATH] [--bare PATH]\n"
                 "  --runs N      timed starts of each program, interleaved (default %d)\n"
                 "  --probe PATH  the program's probe (default %s)\n"
                 "  --bare PATH   the bare dialog's probe (default %s)\n"
                 "QT_QPA_PLATFORM is passed on when set; the probes run offscreen otherwise.\n",
                 kDefaultRuns, STARTUP_PROBE_PATH, BARE_DIALOG_PROBE_PATH);
}

// Returns false when the program should end at once with `exitCode`.
bool ParseOptions(int argc, char** argv, Options& options, int& exitCode) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            exitCode = 0;
            return false;
        }
        if ((arg == "--probe" || arg == "--bare") && i + 1 < argc) {
            (arg == "--probe" ? options.probe : options.bare) = argv[++i];
            continue;
        }
        if (arg == "--runs" && i + 1 < argc) {
            if (varlo::bench::ParsePositive(argv[++i], options.runs)) {
                continue;
            }
            std::fprintf(stderr, "startup_bench: --runs wants a positive number\n");
        } else {
            std::fprintf(stderr, "startup_bench: unknown or incomplete option %s\n", argv[i]);
        }
        PrintUsage(stderr);
        exitCode = 2;
        return false;
    }
    return true;
}

// Closes a descriptor when it goes out of scope.
class CFd {
public:
    explicit CFd(int fd = -1) : m_fd(fd) {}
    ~CFd() { Close(); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }
    void Close() {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd;
};

struct Probe {
    const char* name;
    std::string path;
    std::string argv0;  // what the program sees as its name
    std::vector<double> milliseconds;
    std::vector<double> peakMb;
};

struct Sample {
    double milliseconds;
    double peakMb;
    std::string reported;  // what the probe wrote after its byte: its window size
};

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Our environment with the probe's own variables set or replaced.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text = *entry;
        bool replaced = false;
        for (const std::string& over : overrides) {
            const std::size_t eq = over.find('=');
            if (text.substr(0, eq + 1) == std::string_view(over).substr(0, eq + 1)) {
                replaced = true;
            }
        }
        if (!replaced) {
            result.emplace_back(text);
        }
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

// One start of a probe, until its first shown window, then until it has ended.
Sample RunProbe(const Probe& probe, std::vector<std::string> variables,
                const std::string& stderrPath) {
    int ends[2];
    if (::pipe(ends) != 0) {
        throw CBenchFailure(std::string("pipe: ") + ErrorText(errno));
    }
    CFd readEnd(ends[0]);
    CFd writeEnd(ends[1]);  // inherited by the probe: the only descriptor beyond 0, 1 and 2
    ::fcntl(readEnd.Get(), F_SETFD, FD_CLOEXEC);
    variables.push_back(std::string(kFdVariable) + "=" + std::to_string(writeEnd.Get()));
    std::vector<std::string> environment = ChildEnvironment(variables);

    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::string argv0 = probe.argv0;
    std::array<char*, 2> argv = {argv0.data(), nullptr};

    posix_spawn_file_actions_t actions;
    int rc = posix_spawn_file_actions_init(&actions);
    if (rc != 0) {
        throw CBenchFailure("posix_spawn_file_actions_init: " + ErrorText(rc));
    }
    rc = posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (rc == 0) {
        rc = posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    if (rc == 0) {
        // Kept for when a probe fails; Qt's warnings would otherwise clutter the table.
        rc = posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrPath.c_str(),
                                              O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    pid_t pid = -1;
    const Clock::time_point start = Clock::now();
    if (rc == 0) {
        rc = posix_spawn(&pid, probe.path.c_str(), &actions, nullptr, argv.data(), envp.data());
    }
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw CBenchFailure(std::string("cannot start ") + probe.path + ": " + ErrorText(rc));
    }
    writeEnd.Close();  // so that a probe that dies before its byte gives end of file

    char byte = 0;
    ssize_t got = -1;
    pollfd waiting{readEnd.Get(), POLLIN, 0};
    const int ready = ::poll(&waiting, 1, kTimeoutMs);
    if (ready > 0) {
        do {
            got = ::read(readEnd.Get(), &byte, 1);
        } while (got < 0 && errno == EINTR);
    }
    const Clock::time_point shown = Clock::now();
    if (ready <= 0) {
        ::kill(pid, SIGKILL);
    }

    std::string reported;
    if (got == 1) {
        char buffer[256];
        for (;;) {
            const ssize_t more = ::read(readEnd.Get(), buffer, sizeof buffer);
            if (more < 0 && errno == EINTR) {
                continue;
            }
            if (more <= 0) {
                break;
            }
            reported.append(buffer, static_cast<std::size_t>(more));
        }
    }

    int status = 0;
    rusage usage{};
    pid_t waited;
    do {
        waited = ::wait4(pid, &status, 0, &usage);
    } while (waited < 0 && errno == EINTR);
    if (waited != pid) {
        throw CBenchFailure(std::string("wait4: ") + ErrorText(errno));
    }
    const bool exitedWell = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (got != 1 || byte != '!' || !exitedWell) {
        std::string why = ready == 0    ? "no window within " + std::to_string(kTimeoutMs) + " ms"
                          : got != 1    ? "it ended before its window showed"
                          : byte != '!' ? "it wrote something else than its byte"
                                        : "it did not exit with 0";
        throw CBenchFailure(std::string(probe.name) + ": " + why + "; its standard error:\n" +
                            ReadWhole(stderrPath));
    }
    return {std::chrono::duration<double, std::milli>(shown - start).count(),
            static_cast<double>(usage.ru_maxrss) / 1024.0, reported};
}

// "<width>x<height>" from the probe's report, without the line end.
std::string SizeOf(const std::string& reported) {
    int width = 0;
    int height = 0;
    char tail = '\0';
    if (std::sscanf(reported.c_str(), "%dx%d%c", &width, &height, &tail) != 3 || tail != '\n' ||
        width <= 0 || height <= 0) {
        throw CBenchFailure("a probe reported its window size as \"" + reported + "\"");
    }
    return std::to_string(width) + "x" + std::to_string(height);
}

void CheckRunnable(const std::string& path) {
    if (::access(path.c_str(), X_OK) != 0) {
        throw CBenchFailure("cannot run " + path + ": " + ErrorText(errno));
    }
}

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

int Bench(const Options& options) {
    CheckRunnable(options.probe);
    CheckRunnable(options.bare);
    varlo::bench::CScratchFolder scratch("startup_bench");
    const std::string stderrPath = scratch.Path() + "/probe-stderr.txt";
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const std::string platformName = platform != nullptr ? platform : "offscreen";
    const std::vector<std::string> common = {"XDG_CONFIG_HOME=" + scratch.Config(),
                                             "QT_QPA_PLATFORM=" + platformName};

    // The program under its own name, so that it reads its own profile section.
    std::array<Probe, 2> probes = {Probe{"varloGui", options.probe, "varloGui", {}, {}},
                                   Probe{"bare dialog", options.bare, "bare_dialog_probe", {}, {}}};

    std::string size;
    std::string bareSize;
    for (int round = -kWarmUpRounds; round < options.runs; ++round) {
        // Who goes first alternates, so that neither always follows the other.
        const std::size_t first = static_cast<std::size_t>(round + kWarmUpRounds) % probes.size();
        for (std::size_t k = 0; k < probes.size(); ++k) {
            const std::size_t which = (first + k) % probes.size();
            Probe& probe = probes[which];
            // The bare dialog takes the program's size, known from the very first start.
            std::vector<std::string> variables = common;
            if (which == 1) {
                variables.push_back(std::string(kSizeVariable) + "=" + size);
            }
            const Sample sample = RunProbe(probe, variables, stderrPath);
            if (which == 0) {
                size = SizeOf(sample.reported);
            } else {
                bareSize = SizeOf(sample.reported);
            }
            if (round >= 0) {
                probe.milliseconds.push_back(sample.milliseconds);
                probe.peakMb.push_back(sample.peakMb);
            }
        }
    }
    scratch.CheckWorkEmpty();
    if (bareSize != size) {
        throw CBenchFailure("the bare dialog showed at " + bareSize + " instead of " + size);
    }

    std::printf("startup_bench: %d starts of each program, interleaved, after %d warm-up rounds\n",
                options.runs, kWarmUpRounds);
    std::printf("platform: %s, window %s pixels, cores: %u\n", platformName.c_str(), size.c_str(),
                std::thread::hardware_concurrency());
    std::printf("start-up: spawn to first Expose/Paint of the dialog; peak: ru_maxrss (MiB)\n\n");
    std::printf("%-12s %10s %10s %10s %10s   %s\n", "program", "median ms", "min ms", "max ms",
                "peak MB", "target");
    const Probe& program = probes[0];
    const Probe& bare = probes[1];
    const double programMs = varlo::bench::Median(program.milliseconds);
    const double programMb = varlo::bench::Median(program.peakMb);
    std::printf("%-12s %10.1f %10.1f %10.1f %10.1f   <= %.0f ms: %s, <= %.0f MB: %s\n",
                program.name, programMs, varlo::bench::Min(program.milliseconds),
                varlo::bench::Max(program.milliseconds), programMb, kStartupTargetMs,
                Verdict(programMs <= kStartupTargetMs), kPeakTargetMb,
                Verdict(programMb <= kPeakTargetMb));
    std::printf("%-12s %10.1f %10.1f %10.1f %10.1f   reference ~%.0f ms, ~%.0f MB\n", bare.name,
                varlo::bench::Median(bare.milliseconds), varlo::bench::Min(bare.milliseconds),
                varlo::bench::Max(bare.milliseconds), varlo::bench::Median(bare.peakMb),
                kBareReferenceMs, kBareReferenceMb);
    std::printf("\nvarloGui - bare dialog: %+.1f ms, %+.1f MB\n",
                programMs - varlo::bench::Median(bare.milliseconds),
                programMb - varlo::bench::Median(bare.peakMb));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    int exitCode = 0;
    if (!ParseOptions(argc, argv, options, exitCode)) {
        return exitCode;
    }
    try {
        return Bench(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "startup_bench: %s\n", e.what());
        return 1;
    }
}
