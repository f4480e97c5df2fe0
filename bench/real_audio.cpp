// Real audio: ten-second WAVs converted to AAC by ffmpeg in one run, three ways taking turns: the
// window with Jobs=1, the window with Jobs=2, and xargs -P2 running the very same commands, the
// limit of a 2-core machine. Also the window's own CPU time per file (the benchmark's process,
// children excluded).
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "engine/converter_run.h"
#include "harness.h"

namespace varlo::bench {

namespace {

constexpr int kDefaultFiles = 48;
constexpr int kDefaultRuns = 3;
constexpr double kTargetRatio = 1.05;
const std::string kConverter = "ffmpeg -nostdin -y -i";

// xargs -P2 reading its argument pairs from a file, one per line.
void RunXargs(const std::vector<std::string>& pairs, std::vector<std::string> command) {
    std::ofstream list("xargs.list");
    for (const std::string& line : pairs) {
        list << line << '\n';
    }
    list.close();
    command.insert(command.begin(), {"xargs", "-P2", "-n2", "-d", "\\n", "-a", "xargs.list"});
    if (!Waited(Spawn(command))) {
        throw CBenchFailure(command[7] + " " + command.back() + " …: failed");
    }
    std::filesystem::remove("xargs.list");
}

// Every output is there, and goes before the next way runs; the window's `log` holds every record
// in queue order, none marked as failed.
void CheckRun(const char* way, const std::string* log, const std::vector<std::string>& inputs) {
    std::size_t at = 0;
    for (const std::string& input : inputs) {
        const std::string output = OutputPath(input);
        std::error_code ec;
        if (std::filesystem::file_size(output, ec) < 10'000 || ec) {
            throw CBenchFailure(std::string(way) + ": no proper " + output);
        }
        std::filesystem::remove(output);
        if (log != nullptr && (at = log->find(RecordHeader(input, output), at)) == log->npos) {
            throw CBenchFailure(std::string(way) + ": no record, or one out of order: " + input);
        }
    }
    if (log != nullptr && log->find("変換") != std::string::npos) {
        throw CBenchFailure(std::string(way) + ": a conversion failed or was stopped");
    }
}

}  // namespace

void RealAudio(const Options& options) {
    const int files = options.Files(kDefaultFiles);
    const int runs = options.Runs(kDefaultRuns);
    std::filesystem::create_directory("audio");
    const std::vector<std::string> inputs = InputPaths("audio", files);
    std::vector<std::string> pairs;
    for (int n = 0; n < files; ++n) {
        const std::string pitch = std::to_string(220 + 20 * n);
        pairs.push_back("aevalsrc=0.4*sin(" + pitch + "*2*PI*t)|0.4*sin(" + pitch +
                        "*3*PI*t):s=44100:d=10");
        pairs.push_back(inputs[std::size_t(n)]);
    }
    RunXargs(pairs, {"ffmpeg", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i"});
    pairs.clear();
    for (const std::string& input : inputs) {
        pairs.insert(pairs.end(), {input, OutputPath(input)});
    }

    std::vector<double> seconds[3];
    std::vector<double> cpuMs[2];
    std::vector<double> ratios;  // Jobs=2 / xargs in each round, under the round's load
    for (int run = 0; run < runs; ++run) {
        for (int k = 0; k < 3; ++k) {
            const int way = (run + k) % 3;  // who goes first rotates
            if (way == 2) {
                const Clock::time_point start = Clock::now();
                RunXargs(pairs, {"ffmpeg", "-nostdin", "-y", "-i"});
                seconds[way].push_back(MsSince(start) / 1000);
                CheckRun("xargs", nullptr, inputs);
                continue;
            }
            CBenchWindow window(kConverter, way + 1);
            window.Show();
            const double cpu = CpuSeconds();
            const Clock::time_point begin = Clock::now();
            window.Drop(inputs);
            const Clock::time_point end = window.WaitIdle(std::chrono::seconds(60 * files));
            cpuMs[way].push_back((CpuSeconds() - cpu) * 1000 / files);
            seconds[way].push_back(std::chrono::duration<double>(end - begin).count());
            const std::string log = window.Log();
            CheckRun("window", &log, inputs);
        }
        ratios.push_back(seconds[1].back() / seconds[2].back());
    }
    std::printf("%d ten-second WAVs (44.1 kHz stereo) to AAC with \"%s\", %d runs of each\n", files,
                kConverter.c_str(), runs);
    const char* names[] = {"window, Jobs=1", "window, Jobs=2", "xargs -P2, same commands"};
    for (int way = 0; way < 3; ++way) {
        const Summary s = Summarize(seconds[way]);
        std::printf("  %-26s median %7.3f s (%.3f-%.3f)", names[way], s.median, s.min, s.max);
        if (way < 2) {
            std::printf(", window's own CPU %.2f ms/file", Median(cpuMs[way]));
        }
        std::printf("\n");
    }
    std::printf("  Jobs=1 / Jobs=2: %.2fx\n", Median(seconds[0]) / Median(seconds[1]));
    PrintTarget("Jobs=2 / xargs -P2, median of rounds", Median(ratios), "x", kTargetRatio);
}

}  // namespace varlo::bench
