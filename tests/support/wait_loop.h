// An event loop for tests and benchmarks without a window.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "engine/event_loop.h"

namespace varlo {

// The engine's event loop seam served by poll (POSIX) or WaitForMultipleObjects (Windows): it
// runs only while RunUntil is called.
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
