// The main window's own entries in its window menu: the about box, and 同時変換数, how many
// conversions may run at once.
#pragma once

#include <windows.h>

#include "engine/convert_controller.h"

namespace varlo {

class CWindowMenu {
public:
    explicit CWindowMenu(CConvertController& controller) : m_controller(controller) {}
    CWindowMenu(const CWindowMenu&) = delete;
    CWindowMenu& operator=(const CWindowMenu&) = delete;

    // Adds the entries to the window menu of `window`, the count of conversions checked as the
    // controller has it.
    void Add(HWND window);
    // A command of the window: true when it was one of the menu's.
    bool OnCommand(UINT id);
    // A system command of the window: true when it was one of the menu's.
    bool OnSysCommand(WPARAM command);

private:
    void AddJobsMenu(HMENU systemMenu);
    void CheckJobs();
    // A choice of the 同時変換数 submenu; false for any other command.
    bool JobsChosen(UINT id);

    CConvertController& m_controller;
    HWND m_hwnd = nullptr;
    HMENU m_jobsMenu = nullptr;  // owned by the window menu
};

}  // namespace varlo
