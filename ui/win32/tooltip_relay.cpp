#include "tooltip_relay.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace varlo {

namespace {

// One hook per thread serves every relay of that thread.
struct ThreadRelays {
    HHOOK hook = nullptr;
    std::vector<const CTooltipRelay*> relays;
};

thread_local ThreadRelays t_relays;

}  // namespace

void CTooltipRelay::Start(HWND window, HWND tooltip) {
    Stop();
    m_window = window;
    m_tooltip = tooltip;
    if (t_relays.relays.empty()) {
        t_relays.hook = SetWindowsHookExW(WH_GETMESSAGE, &CTooltipRelay::OnMessage, nullptr,
                                          GetCurrentThreadId());
    }
    t_relays.relays.push_back(this);
}

void CTooltipRelay::Stop() {
    auto& relays = t_relays.relays;
    const auto it = std::find(relays.begin(), relays.end(), this);
    if (it == relays.end()) {
        return;
    }
    relays.erase(it);
    if (relays.empty() && t_relays.hook != nullptr) {
        UnhookWindowsHookEx(t_relays.hook);
        t_relays.hook = nullptr;
    }
    m_window = m_tooltip = nullptr;
}

LRESULT CALLBACK CTooltipRelay::OnMessage(int code, WPARAM removal, LPARAM message) {
    // A message only looked at (PM_NOREMOVE) comes again when it is taken.
    if (code == HC_ACTION && removal == PM_REMOVE) {
        const MSG& msg = *reinterpret_cast<const MSG*>(message);
        if (msg.message >= WM_MOUSEMOVE && msg.message <= WM_LBUTTONUP) {
            // A copy, and each relay looked up again: a tooltip handling a message may lead to a
            // relay starting or stopping.
            const std::vector<const CTooltipRelay*> relays = t_relays.relays;
            for (const CTooltipRelay* relay : relays) {
                const auto& current = t_relays.relays;
                if (std::find(current.begin(), current.end(), relay) != current.end()) {
                    relay->Relay(msg);
                }
            }
        }
    }
    return CallNextHookEx(nullptr, code, removal, message);
}

void CTooltipRelay::Relay(const MSG& message) const {
    if (message.hwnd == m_window || IsChild(m_window, message.hwnd)) {
        MSG copy = message;
        SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&copy));
    }
}

}  // namespace varlo
