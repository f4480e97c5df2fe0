#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "common/retry.h"
#include "engine/platform/converter_process_system.h"
#include "engine/platform/posix_calls.h"
#include "engine/platform/watchdog.h"

namespace varlo {

namespace {

// One message a conversion start or end, so the cost is two small writes per file: the message's
// head, then on a start the output path's bytes.
struct MessageHead {
    std::int32_t group;
    std::int32_t watch;    // 1: a conversion started, 0: it ended
    std::int32_t existed;  // its output was there before
};

int g_socket = -1;  // the program's end of the connection to the watchdog

struct Watched {
    std::string output;
    bool existed;
};

void Take(std::map<std::int32_t, Watched>& watched, const char* message, std::size_t size) {
    MessageHead head;
    if (size < sizeof head) {
        return;
    }
    std::memcpy(&head, message, sizeof head);
    if (head.watch) {
        watched[head.group] = {std::string(message + sizeof head, size - sizeof head),
                               head.existed != 0};
    } else {
        watched.erase(head.group);
    }
}

[[noreturn]] void RunWatchdog(int socket) {
    // Only the program's end ends it: signals meant for the program's terminal group (Ctrl-C)
    // or session (hang-up) must not take it away first.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGTSTP, SIGTTIN, SIGTTOU}) {
        ::signal(signal, SIG_IGN);
    }
    // It holds nothing of the program's, so that nobody waits for it (a pipe, a mount).
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= STDERR_FILENO && null >= 0; ++fd) {
        ::dup2(null, fd);
    }
    CloseDescriptorsFrom(STDERR_FILENO + 1, socket);
    [[maybe_unused]] const int rooted = ::chdir("/");

    std::map<std::int32_t, Watched> watched;
    std::vector<char> message(sizeof(MessageHead) + PATH_MAX + 1);
    for (;;) {
        const ssize_t got = RetryAfterSignal(-1, ::recv, socket, message.data(), message.size(), 0);
        if (got <= 0) {
            break;  // the program has gone
        }
        Take(watched, message.data(), static_cast<std::size_t>(got));
    }
    for (const auto& [group, conversion] : watched) {
        ::kill(-group, SIGKILL);
        // As after a stop: only a plain file that the conversion created, never a link.
        struct stat st;
        if (!conversion.existed && ::lstat(conversion.output.c_str(), &st) == 0 &&
            S_ISREG(st.st_mode)) {
            ::unlink(conversion.output.c_str());
        }
    }
    ::_exit(0);
}

void Send(const MessageHead& head, const std::string& path) {
    if (g_socket < 0 || path.size() > PATH_MAX) {
        return;
    }
    std::vector<char> message(sizeof head + path.size());
    std::memcpy(message.data(), &head, sizeof head);
    std::memcpy(message.data() + sizeof head, path.data(), path.size());
    RetryAfterSignal(-1, ::send, g_socket, message.data(), message.size(), MSG_NOSIGNAL);
}

// The watchdog works from the root folder: a relative output is made absolute here.
std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') {
        return path;
    }
    const std::string folder = CurrentFolder();
    return folder.empty() ? std::string() : folder + "/" + path;
}

}  // namespace

void StartWatchdog() {
    if (g_socket >= 0) {
        return;
    }
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) {
        return;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ends[0]);
        RunWatchdog(ends[1]);
    }
    ::close(ends[1]);
    if (pid < 0) {
        ::close(ends[0]);
        return;
    }
    g_socket = ends[0];
}

void WatchConversion(long group, const std::string& output, bool outputExisted) {
    if (group > 0 && g_socket >= 0) {
        Send({static_cast<std::int32_t>(group), 1, outputExisted ? 1 : 0}, AbsolutePath(output));
    }
}

void ForgetConversion(long group) {
    if (group > 0) {
        Send({static_cast<std::int32_t>(group), 0, 0}, {});
    }
}

}  // namespace varlo
