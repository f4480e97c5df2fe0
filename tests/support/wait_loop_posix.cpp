#include <poll.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "wait_loop.h"

namespace varlo {

int CWaitLoop::WaitForReady(const std::vector<NativeHandle>& handles,
                            std::chrono::milliseconds timeout) {
    std::vector<pollfd> fds;
    fds.reserve(handles.size());
    for (const NativeHandle handle : handles) {
        fds.push_back({static_cast<int>(handle), POLLIN, 0});
    }
    const int ms = static_cast<int>(std::clamp<long long>(timeout.count(), 0, INT_MAX));
    if (::poll(fds.data(), fds.size(), ms) <= 0) {
        return -1;  // the time is up, or a signal came: the caller looks again
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents != 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace varlo
