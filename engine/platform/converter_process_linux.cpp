#include <errno.h>
#include <sched.h>
#include <signal.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>
#include <string>

#include "engine/platform/converter_process.h"
#include "engine/platform/converter_process_system.h"

namespace varlo {

int DieWithParent() {
    return ::prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 ? 0 : errno;
}

int CloseDescriptorsFrom(int first, int keep) {
    const auto closeRange = [](unsigned from, unsigned to) {
        return from > to ? 0L : ::syscall(SYS_close_range, from, to, 0U);
    };
    if (closeRange(first, keep - 1) == 0 && closeRange(keep + 1, ~0U) == 0) {
        return 0;
    }
    if (errno != ENOSYS) {
        return errno;
    }
    // A kernel before 5.9: one by one, up to the limit of open descriptors.
    struct rlimit limit;
    const long last = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 65536
                          ? static_cast<long>(limit.rlim_cur)
                          : 65536;
    for (long fd = first; fd < last; ++fd) {
        if (fd != keep) {
            ::close(static_cast<int>(fd));
        }
    }
    return 0;
}

pid_t StartChild(int (*child)(void*), void* argument) {
    // The child runs on a stack of its own until exec; starts take turns on this one.
    static std::mutex turn;
    alignas(64) static char stack[256 * 1024];
    const std::lock_guard<std::mutex> lock(turn);
    return ::clone(child, stack + sizeof stack, CLONE_VM | CLONE_VFORK | SIGCHLD, argument);
}

NativeHandle OpenEndHandle(pid_t pid) {
    // A pidfd (Linux 5.3); none on an older kernel.
    const long pidfd = ::syscall(SYS_pidfd_open, pid, 0);
    return pidfd >= 0 ? static_cast<NativeHandle>(pidfd) : kNoHandle;
}

std::string SignalName(int signal) {
    const char* name = ::sigabbrev_np(signal);
    return name == nullptr ? std::string() : std::string("SIG") + name;
}

}  // namespace varlo
