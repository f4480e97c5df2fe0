#include "window_place.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "settings/settings.h"
#include "ui/main_window.h"

namespace varlo {

namespace {

// The work areas of the screens, where windows may stand.
std::vector<ControlBox> ScreenWorkAreas() {
    std::vector<ControlBox> areas;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoW(monitor, &info)) {
                const RECT& work = info.rcWork;
                reinterpret_cast<std::vector<ControlBox>*>(data)->push_back(
                    {work.left, work.top, work.right - work.left, work.bottom - work.top});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&areas));
    return areas;
}

}  // namespace

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

bool RestoreWindowPlace(HWND window, const CProfileStore& profile, const std::string& section,
                        SIZE least) {
    const std::optional<WindowPlace> place = ReadWindowPlace(profile, section);
    if (!place) {
        return false;
    }
    RECT now;
    GetWindowRect(window, &now);
    const int width = std::max(place->width, static_cast<int>(least.cx));
    const int height = std::max(place->height, static_cast<int>(least.cy));
    const bool placed =
        place->placed && CanBeGrabbed({place->left, place->top, width, height}, ScreenWorkAreas());
    SetWindowPos(window, nullptr, placed ? place->left : now.left, placed ? place->top : now.top,
                 width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return placed;
}

void SaveWindowPlace(HWND window, CProfileStore& profile, const std::string& section) {
    RECT rect;
    if (IsIconic(window) || IsZoomed(window)) {
        // The size it comes back to, placed in work-area terms: they differ from the screen's
        // only by a task bar above or left of the work area.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(window, &placement)) {
            return;
        }
        rect = placement.rcNormalPosition;
    } else if (!GetWindowRect(window, &rect)) {
        return;
    }
    WriteWindowPlace(profile, section,
                     {rect.right - rect.left, rect.bottom - rect.top, true, rect.left, rect.top});
}

}  // namespace varlo
