// What the engine needs of the window's event loop: to be called back on the window's thread
// when a converter has ended or a delay has passed, never by blocking it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "scoped_handle.h"

namespace varlo {

class IEventLoop {
public:
    virtual ~IEventLoop() = default;

    // A callback that is waited for; dropping it cancels the callback.
    class IWatch {
    public:
        virtual ~IWatch() = default;
    };
    using Callback = std::function<void()>;

    // Calls `ready` once, on the loop's thread, when the handle becomes readable (POSIX) or
    // signalled (Windows).
    virtual std::unique_ptr<IWatch> WhenReady(NativeHandle handle, Callback ready) = 0;
    // Calls `due` once, on the loop's thread, after `delay`.
    virtual std::unique_ptr<IWatch> After(std::chrono::milliseconds delay, Callback due) = 0;
};

// An event loop of the engine's own, for a program or test without a window: it runs only while
// RunUntil is called.
class CWaitLoop : public IEventLoop {
public:
    CWaitLoop();
    ~CWaitLoop() override;

    std::unique_ptr<IWatch> WhenReady(NativeHandle handle, Callback ready) override;
    std::unique_ptr<IWatch> After(std::chrono::milliseconds delay, Callback due) override;

    // Handles callbacks until `done` returns true (checked after each) or `limit` has passed.
    // True when `done` came true.
    bool RunUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds limit = std::chrono::hours(24));

    struct Entry;

private:
    // The platform's part: waits until one of the handles is ready or `timeout` passes; the
    // index of the ready one, or -1.
    static int WaitForReady(const std::vector<NativeHandle>& handles,
                            std::chrono::milliseconds timeout);

    std::vector<std::shared_ptr<Entry>> m_entries;
};

}  // namespace varlo
