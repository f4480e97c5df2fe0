// The engine's event loop seam over Qt's: a converter's end is a readable descriptor watched by a
// socket notifier, a delay a single-shot timer.
#pragma once

#include "engine/event_loop.h"

namespace varlo {

class CQtEventLoop : public IEventLoop {
public:
    std::unique_ptr<IWatch> WhenReady(NativeHandle handle, Callback ready) override;
    std::unique_ptr<IWatch> After(std::chrono::milliseconds delay, Callback due) override;
};

}  // namespace varlo
