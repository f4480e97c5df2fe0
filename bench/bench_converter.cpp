// The benchmarks' stand-in converter. Its first argument says what it does; the input and output
// paths that follow are ignored:
//   print        one line on each stream, then success: nothing left but the cost of a run;
//   sleep MS     success after MS milliseconds; SIGTERM ends it at once;
//   stubborn MS  the same, but it ignores SIGTERM: only SIGKILL ends it early.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "print") == 0) {
        std::fputs("bench converter: standard output\n", stdout);
        std::fputs("bench converter: standard error\n", stderr);
        return 0;
    }
    const bool stubborn = std::strcmp(mode, "stubborn") == 0;
    if ((!stubborn && std::strcmp(mode, "sleep") != 0) || argc < 3) {
        std::fputs("usage: bench_converter print | sleep MS | stubborn MS [input output]\n",
                   stderr);
        return 2;
    }
    if (stubborn) {
        ::signal(SIGTERM, SIG_IGN);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    return 0;
}
