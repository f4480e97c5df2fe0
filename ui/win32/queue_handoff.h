// "Open with" on several files starts the program once for each file. Copies started with the
// switch /queue hand their files to the first such copy of the same user, session and program,
// which queues them in its one window; they then end. A named mutex gives the copies their turns,
// so that exactly one of those started together becomes the receiver.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varlo {

class CQueueHandoff {
public:
    // The switch, as the program's first argument.
    static constexpr std::string_view kSwitch = "/queue";

    // For the program file `programPath` of the user who runs this copy.
    explicit CQueueHandoff(const std::string& programPath);
    ~CQueueHandoff();
    CQueueHandoff(const CQueueHandoff&) = delete;
    CQueueHandoff& operator=(const CQueueHandoff&) = delete;

    // Waits for this copy's turn, then hands `paths` (made absolute) to the receiver. True when
    // the receiver took them; false when there is none, and this copy keeps the turn until it
    // receives.
    bool HandOver(const std::vector<std::string>& paths);
    // Becomes the receiver: the paths that later copies hand over reach `received` on this thread,
    // through its messages. Gives the next copy its turn.
    void Receive(std::function<void(const std::vector<std::string>&)> received);
    // No longer receives: later copies open windows of their own.
    void Stop();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void ReleaseTurn();

    std::wstring m_name;  // of the mutex and of the receiver's window
    HANDLE m_mutex = nullptr;
    bool m_turn = false;
    HWND m_window = nullptr;
    std::function<void(const std::vector<std::string>&)> m_received;
};

}  // namespace varlo
