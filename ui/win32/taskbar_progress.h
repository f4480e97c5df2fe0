// The window's taskbar button: the conversions' progress on it, a flash at a batch's end, and red
// there while the user has not yet seen that conversions failed.
#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <cstddef>

namespace varlo {

class CTaskbarProgress {
public:
    CTaskbarProgress() = default;
    ~CTaskbarProgress() { Release(); }
    CTaskbarProgress(const CTaskbarProgress&) = delete;
    CTaskbarProgress& operator=(const CTaskbarProgress&) = delete;

    // From now on the button of `window` shows the progress.
    void Attach(HWND window);
    // The window is gone: the button with it.
    void Detach();
    // True for the message that says the shell made the button (again); the progress is then
    // shown on the new one.
    bool OnMessage(UINT message);
    // The window was activated: a red button has said what it had to.
    void Activated();

    // `done` of `total`; no progress at all when `total` is 0.
    void SetProgress(std::size_t done, std::size_t total);
    // A batch ended: the button flashes until the window is activated, red where conversions
    // failed.
    void BatchEnded(bool failures);

private:
    // The button's progress, from the last SetProgress.
    void Show();
    void Release();

    HWND m_hwnd = nullptr;
    UINT m_taskbarCreated = 0;  // the message that says the task bar button (again) exists
    ITaskbarList3* m_taskbar = nullptr;
    bool m_taskbarTried = false;
    bool m_failureShown = false;  // the taskbar button is red until the window is activated
    std::size_t m_done = 0;
    std::size_t m_total = 0;
};

}  // namespace varlo
