// Times one converter run three ways, with a converter that does no work so that only the cost of
// starting it and collecting its output is measured:
//   floor         a bare posix_spawn and waitpid, output thrown away: nothing can be faster;
//   RunConverter  what the program does for each file;
//   system()      the same command line handed to /bin/sh, captures read back the same way.
// The three ways take turns inside every round, so drift in the machine's load hits them alike.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <numeric>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "engine/capture_lines.h"
#include "engine/converter_run.h"

extern char** environ;

namespace {

using varlo::bench::CBenchFailure;
using varlo::bench::CScratchFolder;
using varlo::bench::ErrorText;
using varlo::bench::ParsePositive;

constexpr int kDefaultRuns = 1000;
// Untimed rounds first: the loader, the page cache and the CPU clock settle before counting.
constexpr int kWarmUpRounds = 10;

constexpr double kFloorTarget = 1.15;
constexpr double kSystemTarget = 0.6;

constexpr const char* kInput = "in.wav";
constexpr const char* kOutput = "out.aac";

// Fails with the call's name and the error it returned.
void Check(int rc, const char* what) {
    if (rc != 0) {
        throw CBenchFailure(std::string(what) + ": " + ErrorText(rc));
    }
}

struct Options {
    int runs = kDefaultRuns;
    std::string converter = TRIVIAL_CONVERTER_PATH;
};

void PrintUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: converter_run_bench [--runs N] [--converter PATH]\n"
                 "  --runs N          timed rounds, each running all three ways (default %d)\n"
                 "  --converter PATH  the stand-in converter (default %s)\n",
                 kDefaultRuns, TRIVIAL_CONVERTER_PATH);
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
        if ((arg == "--runs" || arg == "--converter") && i + 1 < argc) {
            const std::string_view value = argv[++i];
            if (arg == "--converter") {
                options.converter = value;
                continue;
            }
            if (ParsePositive(value, options.runs)) {
                continue;
            }
            std::fprintf(stderr, "converter_run_bench: --runs wants a positive number\n");
        } else {
            std::fprintf(stderr, "converter_run_bench: unknown or incomplete option %s\n", argv[i]);
        }
        PrintUsage(stderr);
        exitCode = 2;
        return false;
    }
    return true;
}

// The converter as the converter text names it. A path with blanks is quoted, which both the
// program's word splitting and /bin/sh undo; characters that the shell would still read inside
// quotes are refused, since the shell line would then start something else.
std::string ConverterText(const std::string& path) {
    if (path.find_first_of("\"$`\\\n") != std::string::npos) {
        throw CBenchFailure("the converter path " + path +
                            " holds a character the shell would interpret; move the program");
    }
    if (path.find_first_of(" \t'&;|<>()*?[]#~") != std::string::npos) {
        return "\"" + path + "\"";
    }
    return path;
}

// The lower bound: the same program and arguments, started and waited for, nothing captured.
void RunFloor(const std::string& path) {
    posix_spawn_file_actions_t actions;
    Check(posix_spawn_file_actions_init(&actions), "posix_spawn_file_actions_init");
    int rc = posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (rc == 0) {
        rc = posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    if (rc == 0) {
        rc = posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    if (rc == 0) {
        std::array<char*, 4> argv = {const_cast<char*>(path.c_str()), const_cast<char*>(kInput),
                                     const_cast<char*>(kOutput), nullptr};
        rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    }
    const int destroyed = posix_spawn_file_actions_destroy(&actions);
    Check(rc, "posix_spawn");
    Check(destroyed, "posix_spawn_file_actions_destroy");

    int status = 0;
    pid_t waited;
    do {
        waited = ::waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited != pid) {
        throw CBenchFailure("waitpid: " + ErrorText(errno));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw CBenchFailure("the converter did not exit with 0 under posix_spawn");
    }
}

// Appends a capture's lines to the record the way the program reads them, then deletes it.
void TakeCapture(const std::string& name, std::string& record) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr) {
        throw CBenchFailure("cannot open " + name + ": " + ErrorText(errno));
    }
    varlo::CCaptureLineReader reader(record);
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
        if ((got > 0 && !reader.Feed(std::string_view(buffer.data(), got))) ||
            got < buffer.size()) {
            break;
        }
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        throw CBenchFailure("cannot read " + name);
    }
    reader.Finish();
    if (std::remove(name.c_str()) != 0) {
        throw CBenchFailure("cannot remove " + name + ": " + ErrorText(errno));
    }
}

// The program's run, had it given the command line to the shell.
std::string RunThroughShell(const std::string& converter) {
    const std::string outputCapture = varlo::PickCaptureName(varlo::kOutputCapturePattern);
    const std::string errorCapture = varlo::PickCaptureName(varlo::kErrorCapturePattern);
    const std::string line =
        varlo::BuildCommandLine(converter, kInput, kOutput, outputCapture, errorCapture);
    const int status = std::system(line.c_str());
    if (status == -1) {
        throw CBenchFailure("system: " + ErrorText(errno));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw CBenchFailure("the shell did not run the converter: " + line);
    }
    std::string record = varlo::RecordHeader(kInput, kOutput);
    TakeCapture(errorCapture, record);
    TakeCapture(outputCapture, record);
    return record;
}

std::string Shown(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (c == '\r') {
            shown += "\\r";
        } else if (c == '\n') {
            shown += "\\n";
        } else {
            shown += c;
        }
    }
    return shown;
}

void CheckRecord(const char* way, const std::string& record, const std::string& expected) {
    if (record != expected) {
        throw CBenchFailure(std::string(way) + " made the record \"" + Shown(record) +
                            "\" instead of \"" + Shown(expected) + "\"");
    }
}

struct Way {
    const char* name;
    std::function<std::string()> run;  // returns the record made, if the way makes one
    bool makesRecord;
    std::vector<double> milliseconds;
};

struct Summary {
    double median;
    double p10;
    double p90;
    double mean;
};

// Linear interpolation between the nearest ranks; `sorted` is not empty.
double Percentile(const std::vector<double>& sorted, double fraction) {
    const double at = fraction * static_cast<double>(sorted.size() - 1);
    const std::size_t below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    const double weight = at - static_cast<double>(below);
    return sorted[below] + (sorted[above] - sorted[below]) * weight;
}

Summary Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const double total = std::accumulate(samples.begin(), samples.end(), 0.0);
    return {Percentile(samples, 0.5), Percentile(samples, 0.1), Percentile(samples, 0.9),
            total / static_cast<double>(samples.size())};
}

void PrintRatio(const char* name, double ratio, double target) {
    std::printf("%-24s %6.3fx   target <= %.2fx: %s\n", name, ratio, target,
                ratio <= target ? "met" : "MISSED");
}

int Bench(const Options& options) {
    // Made absolute before leaving the starting folder, so a relative --converter still works.
    std::error_code ec;
    const std::string path = std::filesystem::absolute(options.converter, ec).string();
    if (ec || ::access(path.c_str(), X_OK) != 0) {
        throw CBenchFailure("cannot run the converter " + options.converter +
                            " (pass --converter PATH)");
    }
    const std::string converter = ConverterText(path);
    const std::string expected = varlo::RecordHeader(kInput, kOutput) + TRIVIAL_STDERR_LINE
                                 "\r\n" TRIVIAL_STDOUT_LINE "\r\n";
    if (varlo::RecordHeader(kInput, kOutput) != "in.wav -> out.aac\r\n") {
        throw CBenchFailure("unexpected record header \"" +
                            Shown(varlo::RecordHeader(kInput, kOutput)) + "\"");
    }

    CScratchFolder scratch("converter_run_bench");

    std::array<Way, 3> ways = {
        Way{"floor",
            [&] {
                RunFloor(path);
                return std::string();
            },
            false,
            {}},
        Way{"RunConverter",
            [&] { return varlo::RunConverter(converter, kInput, kOutput); },
            true,
            {}},
        Way{"system()", [&] { return RunThroughShell(converter); }, true, {}},
    };
    for (Way& way : ways) {
        way.milliseconds.reserve(static_cast<std::size_t>(options.runs));
    }

    using Clock = std::chrono::steady_clock;
    for (int round = -kWarmUpRounds; round < options.runs; ++round) {
        // Who goes first rotates, so none of them always follows the same neighbour.
        const std::size_t first = static_cast<std::size_t>(round + kWarmUpRounds) % ways.size();
        for (std::size_t k = 0; k < ways.size(); ++k) {
            Way& way = ways[(first + k) % ways.size()];
            const Clock::time_point start = Clock::now();
            const std::string record = way.run();
            const Clock::time_point end = Clock::now();
            if (way.makesRecord) {
                CheckRecord(way.name, record, expected);
            }
            if (round >= 0) {
                way.milliseconds.push_back(
                    std::chrono::duration<double, std::milli>(end - start).count());
            }
        }
    }
    scratch.CheckWorkEmpty();

    std::printf("converter_run_bench: %d runs of each way, interleaved, after %d warm-up rounds\n",
                options.runs, kWarmUpRounds);
    std::printf("converter: %s\n", path.c_str());
    std::printf("cores: %u\n\n", std::thread::hardware_concurrency());
    std::printf("%-14s %10s %10s %10s %10s\n", "way", "median ms", "p10 ms", "p90 ms", "mean ms");
    std::array<Summary, 3> summaries;
    for (std::size_t i = 0; i < ways.size(); ++i) {
        summaries[i] = Summarise(ways[i].milliseconds);
        std::printf("%-14s %10.3f %10.3f %10.3f %10.3f\n", ways[i].name, summaries[i].median,
                    summaries[i].p10, summaries[i].p90, summaries[i].mean);
    }
    std::printf("\n");
    PrintRatio("RunConverter / floor", summaries[1].median / summaries[0].median, kFloorTarget);
    PrintRatio("RunConverter / system()", summaries[1].median / summaries[2].median, kSystemTarget);
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
        std::fprintf(stderr, "converter_run_bench: %s\n", e.what());
        return 1;
    }
}
