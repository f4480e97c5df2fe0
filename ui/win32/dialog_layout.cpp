#include "dialog_layout.h"

#include <algorithm>

#include "ui/main_window.h"
#include "window_place.h"

namespace varlo {

void CDialogLayout::Remember(HWND window) {
    m_hwnd = window;
    // The growth rules place every control, also when the screen's scaling changes: the dialog
    // manager's own scaling of the layout (Windows 10 1703 on) would undo theirs. It still
    // scales the font.
    using SetBehaviorFunction =
        BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
    if (const auto setBehavior = reinterpret_cast<SetBehaviorFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior")))) {
        const auto layout = static_cast<DIALOG_DPI_CHANGE_BEHAVIORS>(DDC_DISABLE_RESIZE |
                                                                     DDC_DISABLE_CONTROL_RELAYOUT);
        setBehavior(m_hwnd, layout, layout);
    }

    RECT client;
    GetClientRect(m_hwnd, &client);
    m_templateClient = {client.right - client.left, client.bottom - client.top};
    RECT bounds;
    GetWindowRect(m_hwnd, &bounds);
    m_minimumSize = {bounds.right - bounds.left, bounds.bottom - bounds.top};
    m_dpi = WindowDpi(m_hwnd);

    // Every control: those that stay put move too when the scaling changes.
    m_layout.clear();
    for (HWND control = GetWindow(m_hwnd, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&rect), 2);
        m_layout.push_back({control, GetDlgCtrlID(control), rect});
    }
}

bool CDialogLayout::OnGetMinMaxInfo(MINMAXINFO& limits) const {
    if (m_minimumSize.cx <= 0) {
        return false;
    }
    limits.ptMinTrackSize = {m_minimumSize.cx, m_minimumSize.cy};
    return true;
}

void CDialogLayout::OnDpiChanged(UINT dpi, const RECT& proposed) {
    if (dpi != 0 && m_dpi != 0 && dpi != m_dpi) {
        const auto scaled = [&](LONG value) {
            return static_cast<LONG>(MulDiv(value, static_cast<int>(dpi), static_cast<int>(m_dpi)));
        };
        for (Placed& placed : m_layout) {
            placed.rect = {scaled(placed.rect.left), scaled(placed.rect.top),
                           scaled(placed.rect.right), scaled(placed.rect.bottom)};
        }
        m_templateClient = {scaled(m_templateClient.cx), scaled(m_templateClient.cy)};
        m_dpi = dpi;
    }
    // The least size is the scaled template with the frame at the new scaling, known once there.
    m_minimumSize = {};
    SetWindowPos(m_hwnd, nullptr, proposed.left, proposed.top, proposed.right - proposed.left,
                 proposed.bottom - proposed.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT window, client;
    GetWindowRect(m_hwnd, &window);
    GetClientRect(m_hwnd, &client);
    m_minimumSize = {m_templateClient.cx + (window.right - window.left) - client.right,
                     m_templateClient.cy + (window.bottom - window.top) - client.bottom};
}

void CDialogLayout::OnSize(int width, int height) {
    const int dx = std::max(0, width - static_cast<int>(m_templateClient.cx));
    const int dy = std::max(0, height - static_cast<int>(m_templateClient.cy));
    HDWP positions = BeginDeferWindowPos(static_cast<int>(m_layout.size()));
    for (const Placed& placed : m_layout) {
        const RECT& rect = placed.rect;
        const ControlBox box =
            GrownBox(GrowthOf(placed.id),
                     {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top}, dx, dy);
        // Drawn anew where it lands, not copied from where it was: a button that moves into the
        // grown part would otherwise stay blank until something else repaints it.
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;
        if (positions != nullptr) {
            positions = DeferWindowPos(positions, placed.window, nullptr, box.x, box.y, box.width,
                                       box.height, flags);
        } else {
            SetWindowPos(placed.window, nullptr, box.x, box.y, box.width, box.height, flags);
        }
    }
    if (positions != nullptr) {
        EndDeferWindowPos(positions);
    }
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace varlo
