#include "window_place.h"

#include <algorithm>

namespace varlo {

void CentreWindow(HWND window, HWND over) {
    RECT own;
    if (!GetWindowRect(window, &own)) {
        return;
    }
    const bool overWindow = over != nullptr && !IsIconic(over);
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    if (!GetMonitorInfoW(MonitorFromWindow(overWindow ? over : window, MONITOR_DEFAULTTOPRIMARY),
                         &screen)) {
        return;
    }
    const RECT& area = screen.rcWork;
    RECT middle = area;
    if (overWindow) {
        GetWindowRect(over, &middle);
    }
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    LONG x = middle.left + (middle.right - middle.left - width) / 2;
    LONG y = middle.top + (middle.bottom - middle.top - height) / 2;
    x = std::max(area.left, std::min(x, area.right - width));
    y = std::max(area.top, std::min(y, area.bottom - height));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT WindowDpi(HWND window) {
    // Windows 10 1607 on; before that, the system's one, which a window starts with.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi != 0) {
            return dpi;
        }
    }
    const HDC dc = GetDC(window);
    const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc != nullptr) {
        ReleaseDC(window, dc);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace varlo
