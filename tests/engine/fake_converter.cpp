// A converter stand-in for the tests. What it does is set through its environment:
//   FAKE_REPORT         file to write what it saw: current folder, the targets of fds 0, 1 and 2,
//                       then every argument, each field ended by a NUL byte
//   FAKE_STDOUT_FILE    file whose bytes it writes to standard output ...
//   FAKE_STDOUT_REPEAT  ... this many times (default 1)
//   FAKE_STDERR_FILE    file whose bytes it writes to standard error, after standard output
//   FAKE_SIGNAL         signal it raises on itself at the end
//   FAKE_EXIT           its exit status
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

std::string LinkTarget(const std::string& link) {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    return n < 0 ? "?" : std::string(buffer, static_cast<std::size_t>(n));
}

}  // namespace

int main(int argc, char** argv) {
    if (std::string report = Env("FAKE_REPORT"); !report.empty()) {
        std::string fields;
        char cwd[PATH_MAX];
        fields += (::getcwd(cwd, sizeof cwd) ? cwd : "?");
        fields += '\0';
        for (int fd = 0; fd <= 2; ++fd) {
            fields += LinkTarget("/proc/self/fd/" + std::to_string(fd)) + '\0';
        }
        for (int i = 0; i < argc; ++i) {
            fields += std::string(argv[i]) + '\0';
        }
        std::ofstream(report, std::ios::binary) << fields;
    }

    if (std::string out = Env("FAKE_STDOUT_FILE"); !out.empty()) {
        const std::string bytes = Slurp(out);
        const std::string repeat = Env("FAKE_STDOUT_REPEAT");
        for (long i = 0, n = repeat.empty() ? 1 : std::stol(repeat); i < n; ++i) {
            WriteAll(STDOUT_FILENO, bytes);
        }
    }
    if (std::string err = Env("FAKE_STDERR_FILE"); !err.empty()) {
        WriteAll(STDERR_FILENO, Slurp(err));
    }
    if (std::string sig = Env("FAKE_SIGNAL"); !sig.empty()) {
        ::signal(std::stoi(sig), SIG_DFL);
        ::raise(std::stoi(sig));
    }
    const std::string status = Env("FAKE_EXIT");
    return status.empty() ? 0 : std::stoi(status);
}
