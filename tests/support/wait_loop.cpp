#include <algorithm>
#include <vector>

#include "wait_loop.h"

namespace varlo {

struct CWaitLoop::Entry {
    NativeHandle handle = kNoHandle;  // or a timer
    std::chrono::steady_clock::time_point due;
    Callback callback;
    bool cancelled = false;
};

namespace {

constexpr std::chrono::milliseconds kLookAgain{10};

class CWaitLoopWatch : public IEventLoop::IWatch {
public:
    explicit CWaitLoopWatch(std::shared_ptr<CWaitLoop::Entry> entry) : m_entry(std::move(entry)) {}
    ~CWaitLoopWatch() override { m_entry->cancelled = true; }

private:
    std::shared_ptr<CWaitLoop::Entry> m_entry;
};

}  // namespace

CWaitLoop::CWaitLoop() = default;
CWaitLoop::~CWaitLoop() = default;

std::unique_ptr<IEventLoop::IWatch> CWaitLoop::WhenReady(NativeHandle handle, Callback ready) {
    auto entry = std::make_shared<Entry>(
        Entry{handle, std::chrono::steady_clock::time_point::max(), std::move(ready)});
    m_entries.push_back(entry);
    return std::make_unique<CWaitLoopWatch>(entry);
}

std::unique_ptr<IEventLoop::IWatch> CWaitLoop::After(std::chrono::milliseconds delay,
                                                     Callback due) {
    auto entry = std::make_shared<Entry>(
        Entry{kNoHandle, std::chrono::steady_clock::now() + delay, std::move(due)});
    m_entries.push_back(entry);
    return std::make_unique<CWaitLoopWatch>(entry);
}

bool CWaitLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + limit;
    while (!done()) {
        // Entries of dropped watches go; the watch only marks them, as it may be dropped by the
        // callback that runs it.
        std::erase_if(m_entries, [](const auto& entry) { return entry->cancelled; });
        const Clock::time_point now = Clock::now();
        if (now >= end) {
            return false;
        }
        Clock::time_point wake = end;
        std::vector<std::shared_ptr<Entry>> watched;
        std::vector<NativeHandle> handles;
        std::shared_ptr<Entry> firing;
        for (const std::shared_ptr<Entry>& entry : m_entries) {
            if (entry->handle != kNoHandle) {
                watched.push_back(entry);
                handles.push_back(entry->handle);
            } else if (entry->due <= now) {
                firing = entry;
            } else {
                wake = std::min(wake, entry->due);
            }
        }
        if (firing == nullptr) {
            // `done` may wait on something outside the loop: look at it now and then.
            const auto timeout =
                std::min(std::chrono::ceil<std::chrono::milliseconds>(wake - now), kLookAgain);
            if (const int ready = WaitForReady(handles, timeout); ready >= 0) {
                firing = watched[static_cast<std::size_t>(ready)];
            }
        }
        if (firing != nullptr && !firing->cancelled) {
            // Fires once: the entry is done with, whatever the callback does.
            firing->cancelled = true;
            Callback callback = std::move(firing->callback);
            callback();
        }
    }
    return true;
}

}  // namespace varlo
