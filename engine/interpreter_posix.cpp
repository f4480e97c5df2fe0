#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "interpreter.h"

extern char** environ;

namespace varlo {

struct CConverterProcess::State {
    pid_t pid = -1;       // also its process group
    CScopedHandle pidfd;  // readable once the converter has ended
    std::optional<ProcessEnd> end;
};

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

CStatus NotStarted(const std::string& program, int error, NativeHandle errorCapture) {
    CStatus status = CStatus::Error(CStatus::Code::NotStarted, program, error);
    WriteAll(static_cast<int>(errorCapture), status.Message() + "\n");
    return status;
}

bool HoldsNul(const std::string& s) {
    return s.find('\0') != std::string::npos;
}

ProcessEnd EndFrom(int status) {
    if (WIFSIGNALED(status)) {
        return {ProcessEnd::Kind::Signalled, WTERMSIG(status)};
    }
    return {ProcessEnd::Kind::Exited, WIFEXITED(status) ? WEXITSTATUS(status) : 0};
}

// Starts the program with the captures as its standard output and error, as the leader of a new
// process group. Returns 0 and the child's pid, or the error that kept it from starting.
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
    // A group of its own: a stop reaches whatever the converter starts, and Ctrl-C in the
    // terminal that started the window reaches the window alone, which then stops it cleanly.
    if (rc == 0) {
        rc = posix_spawnattr_setpgroup(&attr, 0);
    }
    if (rc == 0) {
        rc = posix_spawnattr_setflags(
            &attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
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

CConverterProcess::State* CConverterProcess::NewState() {
    return new State;
}

void CConverterProcess::StateDeleter::operator()(State* state) const {
    delete state;
}

bool CConverterProcess::Running() const {
    return m_state && m_state->pid > 0 && !m_state->end;
}

NativeHandle CConverterProcess::EndHandle() const {
    return Running() ? m_state->pidfd.Get() : kNoHandle;
}

std::optional<ProcessEnd> CConverterProcess::Poll() {
    if (!Running()) {
        return m_state ? m_state->end : std::nullopt;
    }
    int status = 0;
    pid_t got;
    do {
        got = ::waitpid(m_state->pid, &status, WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == 0) {
        return std::nullopt;
    }
    // ECHILD: someone else collected it, so it has ended too; how is unknown.
    m_state->end = got > 0 ? EndFrom(status) : ProcessEnd{};
    m_state->pidfd.Reset();
    return m_state->end;
}

ProcessEnd CConverterProcess::Wait() {
    if (!Running()) {
        return m_state && m_state->end ? *m_state->end : ProcessEnd{};
    }
    int status = 0;
    pid_t got;
    do {
        got = ::waitpid(m_state->pid, &status, 0);
    } while (got < 0 && errno == EINTR);
    m_state->end = got > 0 ? EndFrom(status) : ProcessEnd{};
    m_state->pidfd.Reset();
    return *m_state->end;
}

void CConverterProcess::Terminate() {
    if (Running()) {
        ::kill(-m_state->pid, SIGTERM);
        ::kill(-m_state->pid, SIGCONT);  // a stopped process would not see SIGTERM until then
    }
}

void CConverterProcess::Kill() {
    // Until the leader is collected its group cannot vanish or be reused, so this reaches only
    // what the converter started.
    if (Running()) {
        ::kill(-m_state->pid, SIGKILL);
    }
}

CStatus StartConverter(const std::string& converter, const std::string& input,
                       const std::string& output, CaptureHandles captures,
                       CConverterProcess& process) {
    std::vector<std::string> args = SplitConverterWords(converter);
    if (args.empty()) {
        return NotStarted("", ENOENT, captures.error);
    }
    const std::string program = args.front();
    args.push_back(input);
    args.push_back(output);

    pid_t pid = -1;
    if (int rc = Spawn(args, captures, pid); rc != 0) {
        return NotStarted(program, rc, captures.error);
    }
    CConverterProcess started;
    started.m_state->pid = pid;
    // A descriptor the event loop can watch for the end. Without one (a kernel before 5.3) the
    // end is polled for.
    const long pidfd = ::syscall(SYS_pidfd_open, pid, 0);
    if (pidfd >= 0) {
        started.m_state->pidfd.Reset(pidfd);
    }
    process = std::move(started);
    return {};
}

}  // namespace varlo

namespace varlo {

std::string SignalName(int signal) {
    const char* name = ::sigabbrev_np(signal);
    return name == nullptr ? std::string() : std::string("SIG") + name;
}

}  // namespace varlo
