// A converter that converts nothing: one line on each stream, then success. Only C stdio, so
// that starting it costs no more than starting any small program.
#include <cstdio>

int main() {
    std::fputs(TRIVIAL_STDOUT_LINE "\n", stdout);
    std::fputs(TRIVIAL_STDERR_LINE "\n", stderr);
    return 0;
}
