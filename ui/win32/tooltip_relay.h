// Hands a window's mouse messages to its tooltip control, which must see them to know when to
// show a tip. A message hook on the thread sees every message as it leaves the queue, whoever
// runs the loop: DialogBoxParam's own loop as much as a modeless window's.
#pragma once

#include <windows.h>

namespace varlo {

class CTooltipRelay {
public:
    CTooltipRelay() = default;
    ~CTooltipRelay() { Stop(); }
    CTooltipRelay(const CTooltipRelay&) = delete;
    CTooltipRelay& operator=(const CTooltipRelay&) = delete;

    // From now on, mouse moves and left button presses and releases for `window` or any of its
    // children go to `tooltip` (TTM_RELAYEVENT) before they are handled. On the calling thread,
    // which must be the window's.
    void Start(HWND window, HWND tooltip);
    void Stop();

private:
    static LRESULT CALLBACK OnMessage(int code, WPARAM removal, LPARAM message);
    void Relay(const MSG& message) const;

    HWND m_window = nullptr;
    HWND m_tooltip = nullptr;
};

}  // namespace varlo
