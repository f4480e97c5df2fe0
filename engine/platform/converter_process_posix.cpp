#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "common/retry.h"
#include "engine/platform/converter_process.h"
#include "engine/platform/converter_process_system.h"
#include "engine/platform/posix_calls.h"

extern char** environ;

namespace varlo {

struct CConverterProcess::State {
    pid_t pid = -1;          // also its session and process group
    CScopedHandle pidfd;     // OpenEndHandle: readable once it has ended; kept until the state goes
    bool stopped = false;    // its group dies with it, before it is collected
    bool leftovers = false;  // what it started may outlive it: its group was asked to end
    std::optional<ProcessEnd> end;
};

namespace {

CStatus NotStarted(const std::string& program, int error, NativeHandle errorCapture) {
    CStatus status = CStatus::Error(CStatus::Code::NotStarted, program, error);
    WriteAll(errorCapture, status.Message() + "\n");  // the record tells of a failure here
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

// Where exec looks for the program, in order: the word itself when it holds a '/', else each
// folder of PATH (the system's default path when PATH is not set), as execvp does.
std::vector<std::string> ProgramCandidates(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return {program};
    }
    std::string path;
    if (const char* set = ::getenv("PATH")) {
        path = set;
    } else {
        path.resize(::confstr(_CS_PATH, nullptr, 0));
        ::confstr(_CS_PATH, path.data(), path.size());
        path.resize(::strlen(path.c_str()));
    }
    std::vector<std::string> candidates;
    for (std::size_t start = 0;;) {
        const std::size_t colon = path.find(':', start);
        const std::string folder = path.substr(start, colon - start);
        candidates.push_back(folder.empty() ? program : folder + "/" + program);
        if (colon == std::string::npos) {
            return candidates;
        }
        start = colon + 1;
    }
}

// What the child needs, all of it made before it starts: it may only make system calls.
struct ChildPlan {
    std::vector<std::string> candidates;
    std::vector<char*> argv;
    int nullInput;
    CaptureHandles captures;
    int report;  // the write end of a pipe that exec closes; carries errno on failure
    pid_t parent;
};

int ChildFails(int report, int error) {
    RetryAfterSignal(-1, ::write, report, &error, sizeof error);
    return 127;
}

// The child, in the program's memory until exec: it changes nothing there, and returns its exit
// status when it cannot run the converter.
int RunChild(void* argument) {
    const ChildPlan& plan = *static_cast<const ChildPlan*>(argument);
    // A session of its own: no controlling terminal (a converter that opens /dev/tty fails
    // instead of being stopped by the terminal), and one process group for a stop to reach.
    if (::setsid() < 0) {
        return ChildFails(plan.report, errno);
    }
    if (int error = DieWithParent(); error != 0) {
        return ChildFails(plan.report, error);
    }
    if (::getppid() != plan.parent) {
        return 127;  // the program ended before the request took hold
    }
    // Every signal at its default action and none blocked, whatever the program did with them.
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) {
        ::sigaction(signal, &byDefault, nullptr);  // fails, harmlessly, for KILL and STOP
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    // No terminal to lend: a converter that asks for a key reads end of file instead of waiting.
    if (::dup2(plan.nullInput, STDIN_FILENO) < 0 ||
        ::dup2(static_cast<int>(plan.captures.output), STDOUT_FILENO) < 0 ||
        ::dup2(static_cast<int>(plan.captures.error), STDERR_FILENO) < 0) {
        return ChildFails(plan.report, errno);
    }
    if (int error = CloseDescriptorsFrom(STDERR_FILENO + 1, plan.report); error != 0) {
        return ChildFails(plan.report, error);
    }
    int error = ENOENT;
    bool denied = false;
    for (const std::string& candidate : plan.candidates) {
        ::execve(candidate.c_str(), plan.argv.data(), environ);
        if (errno == EACCES) {
            denied = true;
        } else if (errno != ENOENT && errno != ENOTDIR) {
            error = errno;
            break;
        }
    }
    return ChildFails(plan.report, denied && error == ENOENT ? EACCES : error);
}

// Starts the program with the captures as its standard output and error, in a session of its
// own, killed when the program ends. posix_spawn cannot ask for the last, so this starts the child
// itself, as posix_spawn does. Returns 0 and the child's pid, or the error that kept it from
// starting.
int Spawn(const std::vector<std::string>& args, CaptureHandles captures, pid_t& pid) {
    // An argument cannot carry a NUL byte through exec: it would arrive cut short and could name
    // another file than the one given. Refuse instead.
    for (const std::string& arg : args) {
        if (HoldsNul(arg)) {
            return EINVAL;
        }
    }
    if (args.front().empty()) {
        return ENOENT;
    }
    ChildPlan plan;
    plan.candidates = ProgramCandidates(args.front());
    for (const std::string& arg : args) {
        plan.argv.push_back(const_cast<char*>(arg.c_str()));
    }
    plan.argv.push_back(nullptr);
    plan.captures = captures;
    plan.parent = ::getpid();

    CScopedHandle nullInput(AboveStandardStreams(::open("/dev/null", O_RDONLY | O_CLOEXEC)));
    if (!nullInput.Valid()) {
        return errno;
    }
    plan.nullInput = static_cast<int>(nullInput.Get());
    int pipe[2];
    if (::pipe(pipe) != 0) {
        return errno;
    }
    // Only the window's thread starts processes, so nothing forks between these calls.
    ::fcntl(pipe[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(pipe[1], F_SETFD, FD_CLOEXEC);
    CScopedHandle reportRead(AboveStandardStreams(pipe[0]));
    CScopedHandle reportWrite(AboveStandardStreams(pipe[1]));
    if (!reportRead.Valid() || !reportWrite.Valid()) {
        return EMFILE;
    }
    plan.report = static_cast<int>(reportWrite.Get());

    // The child must not run the program's own signal handlers before it has reset them.
    sigset_t all, before;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &before);
    pid = StartChild(&RunChild, &plan);
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (pid < 0) {
        return forkError;
    }
    reportWrite.Reset();

    // Nothing to read once exec has closed the pipe; an error code when it failed.
    int error = 0;
    if (RetryAfterSignal(-1, ::read, static_cast<int>(reportRead.Get()), &error, sizeof error) <=
        0) {
        return 0;
    }
    int status;
    RetryAfterSignal(-1, ::waitpid, pid, &status, 0);
    return error != 0 ? error : ECHILD;
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

namespace {

// Waits (or only looks, with WNOHANG) for the leader's end without collecting it: until it is
// collected its pid and group id cannot be given to another process. True when it has ended or
// cannot be waited for at all.
bool LeaderEnded(pid_t pid, int options, bool& waitable) {
    siginfo_t info = {};
    const int rc = RetryAfterSignal(-1, ::waitid, P_PID, static_cast<id_t>(pid), &info,
                                    WEXITED | WNOWAIT | options);
    waitable = rc == 0;
    return rc != 0 || info.si_pid != 0;
}

}  // namespace

// After a stop, what the converter started dies with it, before the leader is collected and its
// group id can be reused. Otherwise the rest of the group is asked to end: what the converter
// started must not go on writing once its record says it is done. A wait that fails tells nothing
// of how it ended, and never success.
void CConverterProcess::Collect(bool waitable) {
    ProcessEnd end{ProcessEnd::Kind::Unknown, 0};
    if (waitable) {
        if (m_state->stopped) {
            ::kill(-m_state->pid, SIGKILL);
        } else {
            m_state->leftovers = true;
            ::kill(-m_state->pid, SIGTERM);
            ::kill(-m_state->pid, SIGCONT);
        }
        int status = 0;
        const pid_t got = RetryAfterSignal(-1, ::waitpid, m_state->pid, &status, 0);
        if (got > 0) {
            end = EndFrom(status);
        }
    }
    m_state->end = end;
}

std::optional<ProcessEnd> CConverterProcess::Poll() {
    if (!Running()) {
        return m_state ? m_state->end : std::nullopt;
    }
    bool waitable = false;
    if (!LeaderEnded(m_state->pid, WNOHANG, waitable)) {
        return std::nullopt;
    }
    Collect(waitable);
    return m_state->end;
}

ProcessEnd CConverterProcess::Wait() {
    if (Running()) {
        bool waitable = false;
        LeaderEnded(m_state->pid, 0, waitable);
        Collect(waitable);
    }
    if (m_state && m_state->leftovers) {
        ::kill(-m_state->pid, SIGKILL);
        // Killed processes are gone as soon as the system has collected them, in a moment.
        for (int tries = 0; tries < 2000 && LeftoversRemain(); ++tries) {
            ::usleep(1000);
        }
    }
    return m_state && m_state->end ? *m_state->end : ProcessEnd{ProcessEnd::Kind::Unknown, 0};
}

void CConverterProcess::Terminate() {
    if (Running()) {
        m_state->stopped = true;
        ::kill(-m_state->pid, SIGTERM);
        ::kill(-m_state->pid, SIGCONT);  // a stopped process would not see SIGTERM until then
    }
}

void CConverterProcess::Kill() {
    // Until the leader is collected its group cannot vanish or be reused, so this reaches only
    // what the converter started; after that, the group id stays taken while any of it is left.
    if (Running()) {
        m_state->stopped = true;
        ::kill(-m_state->pid, SIGKILL);
    } else if (m_state && m_state->leftovers) {
        ::kill(-m_state->pid, SIGKILL);
    }
}

bool CConverterProcess::LeftoversRemain() {
    if (m_state && m_state->leftovers && !Running()) {
        // A group that cannot be signalled at all (ESRCH) is empty. One that refuses us (EPERM)
        // is beyond our reach, and no longer waited for.
        m_state->leftovers = ::kill(-m_state->pid, 0) == 0;
    }
    return m_state && m_state->leftovers && !Running();
}

long CConverterProcess::Group() const {
    return Running() ? m_state->pid : 0;
}

CStatus StartConverter(const std::string& converter, const std::string& input,
                       const std::string& output, CaptureHandles captures,
                       CConverterProcess& process) {
    std::vector<std::string> args = SplitConverterWords(converter);
    if (args.empty()) {
        return NotStarted("", ENOENT, captures.error);
    }
    // With SIGCHLD ignored (it is inherited across exec) the system collects ended children
    // itself, and no converter's end could be known.
    struct sigaction childEnds = {};
    if (::sigaction(SIGCHLD, nullptr, &childEnds) == 0 &&
        (childEnds.sa_handler == SIG_IGN || (childEnds.sa_flags & SA_NOCLDWAIT) != 0)) {
        ::signal(SIGCHLD, SIG_DFL);
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
    started.m_state->pidfd.Reset(OpenEndHandle(pid));
    process = std::move(started);
    return {};
}

}  // namespace varlo
