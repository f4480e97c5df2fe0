// The progress that docks and task managers show on the program's launcher (KDE Plasma, Ubuntu's
// dock, Dash to Dock, Plank, …): the LauncherEntry signal on the session bus.
#pragma once

namespace varlo {

class CLauncherEntry {
public:
    // While conversions run, `fraction` (0 to 1) of the work; otherwise no progress is shown.
    void SetProgress(bool running, double fraction);
    // Asks for the user's eye (a batch ended with failures while they were elsewhere), or no
    // longer does (they came back). Told only when it changes.
    void SetUrgent(bool urgent);

private:
    void Send(bool withProgress);

    bool m_running = false;
    double m_fraction = 0;
    bool m_urgent = false;
};

}  // namespace varlo
