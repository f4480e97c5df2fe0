// Runs the benchmarks named on the command line, or every one but the real-audio one, on Qt's
// offscreen platform in a scratch folder. Each prints its figures and its target; a missed target
// is reported, never an error.
#include <stdlib.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "harness.h"

namespace {

using namespace varlo::bench;

struct Benchmark {
    const char* name;
    void (*run)(const Options&);
    bool byDefault;
    const char* what;
};

constexpr Benchmark kBenchmarks[] = {
    {"responsiveness", Responsiveness, true, "event lateness during a chain of 500 ms converters"},
    {"stop", StopLatency, true, "from a stop to its end, for converters that obey SIGTERM or not"},
    {"window-cost", WindowCost, true, "a chain of trivial conversions: window vs engine only"},
    {"startup", Startup, true, "from spawn to the first paint, and peak memory"},
    {"drop", DropSizing, true, "a drop of 10,000 files, each sized as it is queued"},
    {"audio", RealAudio, false, "48 WAVs through ffmpeg: Jobs=1, Jobs=2, xargs -P2 (minutes)"},
};

int Usage(std::FILE* to, int status) {
    std::fprintf(to,
                 "usage: varlo_bench [NAME...] [--runs N] [--files N]\n"
                 "  --runs N   timed runs of each benchmark (each has its own default)\n"
                 "  --files N  files in each chain (each has its own default)\n"
                 "NAME (all but audio when none is given):\n");
    for (const Benchmark& b : kBenchmarks) {
        std::fprintf(to, "  %-15s %s\n", b.name, b.what);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == kProbeArgument) {
        return FirstPaintProbe(3);
    }
    Options options;
    std::vector<const Benchmark*> chosen;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return Usage(stdout, 0);
        }
        if ((arg == "--runs" || arg == "--files") && i + 1 < argc) {
            (arg == "--runs" ? options.runs : options.files) = std::atoi(argv[++i]);
            if ((arg == "--runs" ? options.runs : options.files) > 0) {
                continue;
            }
        }
        const Benchmark* found = std::find_if(std::begin(kBenchmarks), std::end(kBenchmarks),
                                              [&](const Benchmark& b) { return arg == b.name; });
        if (found == std::end(kBenchmarks)) {
            std::fprintf(stderr, "varlo_bench: unknown or incomplete argument %s\n", argv[i]);
            return Usage(stderr, 2);
        }
        chosen.push_back(found);
    }
    const bool all = chosen.empty();
    for (const Benchmark& b : kBenchmarks) {
        if (all && b.byDefault) {
            chosen.push_back(&b);
        }
    }
    // No display is needed; a platform asked for by the caller is kept.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as it comes, even into a pipe
    int status = 0;
    try {
        CScratchFolder scratch;
        int qtArgc = 1;
        QApplication app(qtArgc, argv);
        for (const Benchmark* b : chosen) {
            std::printf("== %s\n", b->name);
            try {
                b->run(options);
                scratch.CheckClean();
            } catch (const CBenchFailure& failure) {
                std::printf("  FAILED: %s\n", failure.what());
                status = 1;
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "varlo_bench: %s\n", error.what());
        return 1;
    }
    return status;
}
