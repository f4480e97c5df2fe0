// Retrying a system call that a signal interrupted.
#pragma once

#include <errno.h>

namespace varlo {

// Calls `call` with `args` again for as long as it returns `fail` with errno EINTR; returns its
// last result, errno as that call left it.
template <typename Fail, typename Call, typename... Args>
auto RetryAfterSignal(const Fail& fail, const Call& call, Args... args) -> decltype(call(args...)) {
    decltype(call(args...)) result;
    do {
        errno = 0;
        result = call(args...);
    } while (result == fail && errno == EINTR);
    return result;
}

}  // namespace varlo
