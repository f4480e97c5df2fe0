#include "window_menu.h"

#include <string>

#include "about_dialog.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "texts.h"

namespace varlo {

void CWindowMenu::Add(HWND window) {
    m_hwnd = window;
    const HMENU systemMenu = GetSystemMenu(m_hwnd, FALSE);
    if (systemMenu == nullptr) {
        return;
    }
    const std::wstring about = UiText(TextId::AboutMenu);
    if (!about.empty()) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUT, about.c_str());
    }
    AddJobsMenu(systemMenu);
}

bool CWindowMenu::OnCommand(UINT id) {
    // A submenu of the window menu reports its entries as commands, not system commands.
    return JobsChosen(id);
}

bool CWindowMenu::OnSysCommand(WPARAM command) {
    // The system keeps the low four bits of a window menu command for itself.
    const UINT id = static_cast<UINT>(command & 0xFFF0);
    if (id == IDM_ABOUT) {
        CAboutDialog about;
        about.DoModal(m_hwnd);
        return true;
    }
    return JobsChosen(id);
}

bool CWindowMenu::JobsChosen(UINT id) {
    if (id <= IDM_JOBS || id > IDM_JOBS + 16u * static_cast<UINT>(kMaxJobs)) {
        return false;
    }
    m_controller.SetJobs(static_cast<int>((id - IDM_JOBS) / 16));
    CheckJobs();
    return true;
}

void CWindowMenu::AddJobsMenu(HMENU systemMenu) {
    const std::wstring title = UiText(TextId::JobsMenu);
    if (title.empty()) {
        return;
    }
    m_jobsMenu = CreatePopupMenu();
    if (m_jobsMenu == nullptr) {
        return;
    }
    for (int jobs = 1; jobs <= m_controller.MostUsefulJobs(); ++jobs) {
        AppendMenuW(m_jobsMenu, MF_STRING, IDM_JOBS + 16 * static_cast<UINT>(jobs),
                    std::to_wstring(jobs).c_str());
    }
    AppendMenuW(systemMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(m_jobsMenu), title.c_str());
    CheckJobs();
}

void CWindowMenu::CheckJobs() {
    const int count = GetMenuItemCount(m_jobsMenu);
    if (count > 0) {
        CheckMenuRadioItem(m_jobsMenu, 0, static_cast<UINT>(count - 1),
                           static_cast<UINT>(m_controller.Jobs() - 1), MF_BYPOSITION);
    }
}

}  // namespace varlo
