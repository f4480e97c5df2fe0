// The engine's event loop on a window: a converter's end and a delay that has passed come back as
// messages to the window, and their callbacks run on the window's thread as it handles them.
//
// The window is a dialog box whose message loop belongs to the system (DialogBoxParamA, and every
// message box or file dialog shown over it), so nothing can wait in it with
// MsgWaitForMultipleObjects. Instead a wait of the system's thread pool watches the handle and
// posts a message when it is signalled; the loop that happens to run then hands it to the window.
#pragma once

#include <windows.h>

#include <map>

#include "engine/event_loop.h"

namespace varlo {

class CWindowEventLoop : public IEventLoop {
public:
    // The message that says a watched handle was signalled: the watch's id in wParam.
    static constexpr UINT kReadyMessage = WM_APP + 1;

    CWindowEventLoop() = default;
    // Watches must be dropped before their loop.
    ~CWindowEventLoop() override = default;
    CWindowEventLoop(const CWindowEventLoop&) = delete;
    CWindowEventLoop& operator=(const CWindowEventLoop&) = delete;

    // The window whose messages carry the callbacks; set before anything is watched.
    void Attach(HWND window) { m_window = window; }

    // Called with each of the window's messages: runs the callback that a message of the loop's
    // own carries. True when it was one.
    bool OnMessage(UINT message, WPARAM wParam);

    std::unique_ptr<IWatch> WhenReady(NativeHandle handle, Callback ready) override;
    std::unique_ptr<IWatch> After(std::chrono::milliseconds delay, Callback due) override;

private:
    class CReadyWatch;
    class CTimerWatch;

    // Runs the callback of `id` once and forgets it; a message for a watch already dropped (it
    // was on its way when the watch went) is ignored.
    static void Fire(std::map<UINT_PTR, Callback>& callbacks, UINT_PTR id);
    HWND Window() const;

    HWND m_window = nullptr;
    UINT_PTR m_nextId = 1;
    std::map<UINT_PTR, Callback> m_ready;
    std::map<UINT_PTR, Callback> m_timers;
};

}  // namespace varlo
