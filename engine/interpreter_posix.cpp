#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "capture_file.h"
#include "interpreter.h"

extern char** environ;

namespace varlo {

namespace {

void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;  // the capture is what reports failures; nowhere else to say it
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

void ReportStartFailure(const std::string& program, int error, int errorFd) {
    const std::string shown = program.empty() ? "\"\"" : program;
    WriteAll(errorFd, shown + ": " + SystemErrorText(error) + "\n");
}

bool HoldsNul(const std::string& s) {
    return s.find('\0') != std::string::npos;
}

// Starts the program with the captures as its standard output and error. Returns 0 and the
// child's pid, or the error that kept it from starting.
int Spawn(const std::vector<std::string>& args, CaptureHandles captures, pid_t& pid) {
    // An argument cannot carry a NUL byte through exec: it would arrive cut short and could name
    // another file than the one given. Refuse instead.
    for (const std::string& arg : args) {
        if (HoldsNul(arg)) {
            return EINVAL;
        }
    }
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    int rc = posix_spawn_file_actions_init(&actions);
    if (rc != 0) {
        return rc;
    }
    posix_spawnattr_t attr;
    rc = posix_spawnattr_init(&attr);
    if (rc != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return rc;
    }

    // No terminal to lend: a converter that asks for a key reads end of file instead of waiting.
    rc = posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (rc == 0) {
        rc = posix_spawn_file_actions_adddup2(&actions, static_cast<int>(captures.output),
                                              STDOUT_FILENO);
    }
    if (rc == 0) {
        rc = posix_spawn_file_actions_adddup2(&actions, static_cast<int>(captures.error),
                                              STDERR_FILENO);
    }

    // The converter starts with no signal blocked and every signal at its default action, whatever
    // the window did with them (SIGPIPE ignored, say).
    sigset_t signals;
    if (rc == 0) {
        sigemptyset(&signals);
        rc = posix_spawnattr_setsigmask(&attr, &signals);
    }
    if (rc == 0) {
        sigfillset(&signals);
        rc = posix_spawnattr_setsigdefault(&attr, &signals);
    }
    if (rc == 0) {
        rc = posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    if (rc == 0) {
        // posix_spawnp looks a word without '/' up along PATH, as a POSIX shell does.
        rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
    }

    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

}  // namespace

void RunInterpreter(const std::string& converter, const std::string& input,
                    const std::string& output, CaptureHandles captures) {
    std::vector<std::string> args = SplitConverterWords(converter);
    const std::string program = args.empty() ? std::string() : args.front();
    if (args.empty()) {
        ReportStartFailure(program, ENOENT, static_cast<int>(captures.error));
        return;
    }
    args.push_back(input);
    args.push_back(output);

    pid_t pid = -1;
    if (int rc = Spawn(args, captures, pid); rc != 0) {
        ReportStartFailure(program, rc, static_cast<int>(captures.error));
        return;
    }
    // The exit status is not looked at; only the end matters. ECHILD means someone else reaped
    // the child, which has then ended too.
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace varlo
