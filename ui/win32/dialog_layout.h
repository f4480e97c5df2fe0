// How the main window's controls follow it when it grows, each as the window's table says, and
// when the screen's scaling changes; and the least size the window may take.
#pragma once

#include <windows.h>

#include <vector>

namespace varlo {

class CDialogLayout {
public:
    // Takes the controls of `window` where its template put them: the layout every later size
    // starts from, and the window's least size. The dialog manager's own relayout on a scaling
    // change is turned off.
    void Remember(HWND window);
    // The window made by the template, in the current scaling; empty before Remember and while the
    // scaling changes.
    SIZE MinimumSize() const { return m_minimumSize; }
    // WM_GETMINMAXINFO: true when the least size was set.
    bool OnGetMinMaxInfo(MINMAXINFO& limits) const;
    // Places every control for a client area this large.
    void OnSize(int width, int height);
    // The screen's scaling changed (another screen, or its setting): the layout the growth rules
    // start from scales with it, and the window takes the size the system proposes.
    void OnDpiChanged(UINT dpi, const RECT& proposed);

private:
    struct Placed {
        HWND window;
        int id;
        RECT rect;  // in the template's client area
    };

    HWND m_hwnd = nullptr;
    std::vector<Placed> m_layout;
    SIZE m_templateClient{};  // the client area the template made
    SIZE m_minimumSize{};     // the window the template made
    UINT m_dpi = 0;           // the scaling the three above are in
};

}  // namespace varlo
