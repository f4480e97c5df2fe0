#include "taskbar_progress.h"

#include <utility>

namespace varlo {

void CTaskbarProgress::Attach(HWND window) {
    m_hwnd = window;
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarButtonCreated");
}

void CTaskbarProgress::Detach() {
    Release();
    m_hwnd = nullptr;
}

bool CTaskbarProgress::OnMessage(UINT message) {
    if (message != m_taskbarCreated || m_taskbarCreated == 0) {
        return false;
    }
    // The shell (re)started: the button it made knows nothing of the progress yet.
    Release();
    m_taskbarTried = false;
    Show();
    return true;
}

void CTaskbarProgress::Activated() {
    if (std::exchange(m_failureShown, false) && m_taskbar != nullptr) {
        m_taskbar->SetProgressState(m_hwnd, TBPF_NOPROGRESS);
    }
}

void CTaskbarProgress::SetProgress(std::size_t done, std::size_t total) {
    m_done = done;
    m_total = total;
    Show();
}

void CTaskbarProgress::Show() {
    if (m_hwnd == nullptr) {
        return;
    }
    if (m_taskbar == nullptr && !m_taskbarTried && m_total != 0) {
        m_taskbarTried = true;
        // Missing before Windows 7 and from some shells: the caption shows the progress anyway.
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ITaskbarList3, reinterpret_cast<void**>(&m_taskbar)))) {
            m_taskbar = nullptr;
        } else if (FAILED(m_taskbar->HrInit())) {
            Release();
        }
    }
    if (m_taskbar == nullptr) {
        return;
    }
    if (m_total == 0) {
        m_taskbar->SetProgressState(m_hwnd, TBPF_NOPROGRESS);
    } else {
        m_taskbar->SetProgressValue(m_hwnd, m_done, m_total);
    }
}

void CTaskbarProgress::BatchEnded(bool failures) {
    if (m_hwnd == nullptr) {
        return;
    }
    // The taskbar button flashes until the window is activated; red where conversions failed.
    FLASHWINFO flash{sizeof flash, m_hwnd, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
    if (failures && m_taskbar != nullptr) {
        m_taskbar->SetProgressValue(m_hwnd, 1, 1);
        m_taskbar->SetProgressState(m_hwnd, TBPF_ERROR);
        m_failureShown = true;
    }
}

void CTaskbarProgress::Release() {
    if (m_taskbar != nullptr) {
        m_taskbar->Release();
        m_taskbar = nullptr;
    }
}

}  // namespace varlo
