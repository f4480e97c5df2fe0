// The benchmarks' stand-in converter. Its first argument says what it does; the input and output
// paths that follow are ignored:
//   print        one line on each stream, then success: nothing left but the cost of a run;
//   sleep MS     success after MS milliseconds; SIGTERM ends it at once;
//   stubborn MS  the same, but it ignores SIGTERM: only SIGKILL ends it early;
//   flood MB     MB megabytes on standard output in numbered lines of 100 bytes, as fast as it
//                can, then "ended <ns>" on standard error: the steady clock's time at its end.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "print") == 0) {
        std::fputs("bench converter: standard output\n", stdout);
        std::fputs("bench converter: standard error\n", stderr);
        return 0;
    }
    if (std::strcmp(mode, "flood") == 0 && argc >= 3) {
        const long lines = std::atol(argv[2]) * 10'000;
        std::string block;
        for (long n = 0; n < lines; ++n) {
            char line[128];
            std::snprintf(line, sizeof line, "%09ld %089d\n", n, 0);
            block += line;
            if (block.size() >= 1 << 20 || n + 1 == lines) {
                std::fwrite(block.data(), 1, block.size(), stdout);
                block.clear();
            }
        }
        std::fflush(stdout);
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::fprintf(stderr, "ended %lld\n",
                     static_cast<long long>(std::chrono::nanoseconds(now).count()));
        return 0;
    }
    const bool stubborn = std::strcmp(mode, "stubborn") == 0;
    if ((!stubborn && std::strcmp(mode, "sleep") != 0) || argc < 3) {
        std::fputs(
            "usage: bench_converter print | sleep MS | stubborn MS | flood MB [input output]\n",
            stderr);
        return 2;
    }
    if (stubborn) {
        ::signal(SIGTERM, SIG_IGN);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    return 0;
}
