// What the engine needs of the window's event loop: to be called back on the window's thread
// when a converter has ended or a delay has passed, never by blocking it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "common/native_handle.h"

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

}  // namespace varlo
