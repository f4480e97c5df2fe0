// A converter stand-in for the tests. What it does is set through its environment:
//   FAKE_REPORT         file to write what it saw: current folder, the targets of fds 0, 1 and 2,
//                       then every argument, each field ended by a NUL byte
//   FAKE_STDOUT_FILE    file whose bytes it writes to standard output ...
//   FAKE_STDOUT_REPEAT  ... this many times (default 1)
//   FAKE_STDERR_FILE    file whose bytes it writes to standard error, after standard output
//   FAKE_SIGNAL         signal it raises on itself at the end
//   FAKE_EXIT           its exit status
//   FAKE_APPEND_ARGS    file it appends its arguments to, after argv[0]: their count, then each
//                       argument, every field ended by a NUL byte
//   FAKE_BY_INPUT       when set, the input's file name chooses what it does: "exit-N",
//                       "signal-N", "close-stdout", "bytes" (invalid UTF-8 and NUL bytes),
//                       "print-50m" (50 MB in lines of 100 bytes),
//                       "sleep-N" (writes part of its output file, then takes N ms),
//                       "stubborn" (ignores SIGTERM, starts a child that ignores it too and
//                       prints "child <pid>" to standard error, writes part of its output file,
//                       and never ends; with FAKE_PIDS set, writes both pids to that file, whole,
//                       once all that is done), "leaves-helper" (obeys SIGTERM, but first starts a
//                       helper that ignores it and writes the output file over and over; FAKE_PIDS
//                       as for "stubborn", once the helper ignores SIGTERM),
//                       "leaves-child" (starts a child that waits for a signal, writes both
//                       pids to FAKE_PIDS, and exits with 0),
//                       "session" (prints "leader" when it leads a session of its own, "no tty"
//                       when it has no terminal, "defaults" when no signal is blocked or ignored)
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
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

void StartOutput(const std::string& output) {
    std::ofstream(output, std::ios::binary) << "partial";
}

// Tells the test its pids once it is ready to be stopped: the file appears whole, or not at all.
void Announce(pid_t second) {
    if (const std::string pids = Env("FAKE_PIDS"); !pids.empty()) {
        std::ofstream(pids + ".new") << ::getpid() << " " << second << "\n";
        ::rename((pids + ".new").c_str(), pids.c_str());
    }
}

// Behaviour chosen by the input's name, for chains where each file fails its own way.
int ByInput(const std::string& input, const std::string& output) {
    const std::string name = input.substr(input.rfind('/') + 1);
    const auto starts = [&](const char* prefix) { return name.rfind(prefix, 0) == 0; };
    if (starts("exit-")) {
        WriteAll(STDOUT_FILENO, "exiting\n");
        return std::stoi(name.substr(5));
    }
    if (starts("signal-")) {
        WriteAll(STDOUT_FILENO, "crashing\n");
        ::signal(std::stoi(name.substr(7)), SIG_DFL);
        ::raise(std::stoi(name.substr(7)));
    } else if (starts("close-stdout")) {
        ::close(STDOUT_FILENO);
        WriteAll(STDERR_FILENO, "stdout closed\n");
    } else if (starts("bytes")) {
        WriteAll(STDOUT_FILENO, std::string("bad \xff\xfe\xc0\xaf end\nnul \0 inside\n", 26));
    } else if (starts("print-50m")) {
        const std::string line = std::string(99, 'x') + "\n";
        std::string block;
        for (int i = 0; i < 10000; ++i) {
            block += line;
        }
        for (int i = 0; i < 50; ++i) {
            WriteAll(STDOUT_FILENO, block);
        }
    } else if (starts("session")) {
        sigset_t blocked;
        ::sigprocmask(SIG_SETMASK, nullptr, &blocked);
        bool defaults = true;
        for (int sig = 1; sig < NSIG; ++sig) {
            struct sigaction action;
            defaults = defaults && !sigismember(&blocked, sig) &&
                       !(::sigaction(sig, nullptr, &action) == 0 && action.sa_handler == SIG_IGN);
        }
        WriteAll(STDOUT_FILENO, std::string(::getsid(0) == ::getpid() ? "leader\n" : "") +
                                    (::open("/dev/tty", O_RDWR) < 0 ? "no tty\n" : "") +
                                    (defaults ? "defaults\n" : ""));
    } else if (starts("leaves-helper")) {
        int ready[2];
        if (::pipe(ready) != 0) {
            return 1;
        }
        const pid_t helper = ::fork();
        if (helper == 0) {
            ::signal(SIGTERM, SIG_IGN);
            StartOutput(output);
            ::close(ready[1]);
            for (;;) {
                ::usleep(20000);
                StartOutput(output);
            }
        }
        ::close(ready[1]);
        char ignored;
        while (::read(ready[0], &ignored, 1) < 0) {  // end of file once the helper is set
        }
        Announce(helper);
        for (;;) {
            ::pause();
        }
    } else if (starts("leaves-child")) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (;;) {
                ::pause();
            }
        }
        Announce(child);
    } else if (starts("sleep-")) {
        StartOutput(output);
        Announce(0);
        ::usleep(static_cast<useconds_t>(std::stoi(name.substr(6))) * 1000);
        WriteAll(STDOUT_FILENO, "slept\n");
    } else if (starts("stubborn")) {
        ::signal(SIGTERM, SIG_IGN);
        const pid_t child = ::fork();
        if (child == 0) {
            for (;;) {
                ::pause();
            }
        }
        WriteAll(STDERR_FILENO, "child " + std::to_string(child) + "\n");
        StartOutput(output);
        Announce(child);
        for (;;) {
            ::pause();
        }
    } else {
        WriteAll(STDOUT_FILENO, "converted " + name + "\n");
    }
    return 0;
}

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

    if (std::string appendTo = Env("FAKE_APPEND_ARGS"); !appendTo.empty()) {
        std::string fields = std::to_string(argc - 1) + '\0';
        for (int i = 1; i < argc; ++i) {
            fields += std::string(argv[i]) + '\0';
        }
        std::ofstream(appendTo, std::ios::binary | std::ios::app) << fields;
    }
    if (!Env("FAKE_BY_INPUT").empty() && argc >= 3) {
        return ByInput(argv[argc - 2], argv[argc - 1]);
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
