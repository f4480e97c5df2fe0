// The main window: the IDD_MAIN dialog with its three path fields and browse buttons, Convert and
// Exit, the auto-convert box and the log. Every event ends in one operation of its controller.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shobjidl.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/convert_controller.h"
#include "engine/process_runner.h"
#include "file_chooser.h"
#include "queue_handoff.h"
#include "tooltip_relay.h"
#include "window_event_loop.h"

namespace varlo {

// Shows a message box and returns the button pressed, as MessageBoxW does.
using MessageBoxFunction = std::function<int(HWND owner, const std::wstring& text,
                                             const std::wstring& caption, UINT type)>;
// Opens a help file at a topic, as WinHelpA does; false when help could not be started.
using HelpFunction =
    std::function<bool(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data)>;
// Adds, changes or removes the notification-area icon, as Shell_NotifyIconW does.
using NotifyIconFunction = std::function<bool(DWORD message, const NOTIFYICONDATAW& icon)>;

class CConvertDialog : public IConvertView {
public:
    // Conversions run through `runner`, or, without one, as processes whose ends the window's
    // messages bring.
    CConvertDialog(CProfileStore& profile, IFileChooser& chooser,
                   IConversionRunner* runner = nullptr);
    // Destroys a window still open; its settings are then saved, and its conversions ended.
    ~CConvertDialog() override;
    CConvertDialog(const CConvertDialog&) = delete;
    CConvertDialog& operator=(const CConvertDialog&) = delete;

    // The program's raw command line, program path first.
    void SetCommandLine(const std::string& commandLine);

    // Runs the window modally until it closes; DialogBoxParamA's result.
    INT_PTR DoModal(HWND parent = nullptr);
    // Opens the window modeless; the caller's message loop hands it its messages through
    // IsDialogMessage. The window, or nullptr when it could not be made.
    HWND Create(HWND parent = nullptr);
    HWND Handle() const { return m_hwnd; }
    const CConvertController& Controller() const { return m_controller; }

    // Where message boxes and help go; the system's own unless replaced.
    void SetMessageBox(MessageBoxFunction messageBox) { m_messageBox = std::move(messageBox); }
    void SetHelp(HelpFunction help) { m_help = std::move(help); }
    void SetNotifyIcon(NotifyIconFunction notifyIcon) { m_notifyIcon = std::move(notifyIcon); }
    // Once the window has started on its command line's files, it takes those that later copies
    // of the program hand over, until it closes.
    void SetQueueHandoff(CQueueHandoff* handoff) { m_handoff = handoff; }

    std::string GetText(ConvertField field) override;
    void SetText(ConvertField field, const std::string& text) override;
    void MoveCaretToEnd(ConvertField field) override;
    void AppendLog(const std::string& text) override;
    // The edit control's cost is mostly per call, not per byte (under Wine about 25 ms a call,
    // whether it takes 16 or 64 KiB): larger slices bring a record in four times sooner.
    std::size_t LogSliceBytes() override { return 64 * 1024; }
    int GetAutoState() override;
    void SetAutoState(int value) override;
    void SetCaption(const std::string& text) override;
    void EnableDrop() override;
    void SetBusy(bool busy) override;
    void SetProgress(const ProgressShown& progress) override;
    void ShowError(const std::string& caption, const std::string& message) override;
    bool Ask(const std::string& caption, const std::string& question) override;
    void CloseWindow() override;
    bool IsActive() override;
    void NotifyBatchEnded(const std::string& summary, bool failures) override;

private:
    struct Placed {
        HWND window;
        int id;
        RECT rect;  // in the template's client area
    };

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void OnCommand(int id);
    BOOL OnSysCommand(WPARAM command);
    void OnDropFiles(HDROP drop);
    BOOL OnPaint();
    void OnHelp();
    void OnDestroy();
    void OnSize(int width, int height);
    // The screen's scaling changed (another screen, or its setting): the layout the growth rules
    // start from scales with it, and the window takes the size the system proposes.
    void OnDpiChanged(UINT dpi, const RECT& proposed);
    // The notification-area icon whose balloon tells a batch's end.
    void OnNotifyIcon(UINT event);
    void RemoveNotifyIcon();

    void AddTooltips();
    // The window menu's 同時変換数 entry: how many conversions may run at once.
    void AddJobsMenu();
    void CheckJobs();
    // A choice of the 同時変換数 submenu; false for any other command.
    bool JobsChosen(UINT id);
    void RememberLayout();
    // Gives the window the size and place of the last run; false when none is stored or the
    // stored place is on no screen now, the window then standing where the template puts it.
    bool RestorePlace();
    void SavePlace();
    void Browse(FileDialogKind kind);
    // Says once, as the window closes, that settings were lost because no write could go anywhere.
    void ShowSaveError();
    HWND FieldWindow(ConvertField field) const;
    // The task bar button's progress, from the last SetProgress.
    void ShowTaskbarProgress();
    // The progress bar's tip, the count and the time left.
    void ShowProgressTip(HWND bar, std::wstring text);
    void ReleaseTaskbar();

    CProfileStore& m_profile;
    // Before the controller: its conversions watch through them until they end with it.
    CWindowEventLoop m_loop;
    CProcessRunner m_ownRunner;
    CConvertController m_controller;

    HWND m_tooltip = nullptr;
    bool m_progressTipAdded = false;
    HWND m_autoCheck = nullptr;
    HWND m_logEdit = nullptr;
    HWND m_converterEdit = nullptr;
    HWND m_inputEdit = nullptr;
    HWND m_outputEdit = nullptr;
    HICON m_hIcon;

    IFileChooser& m_chooser;
    MessageBoxFunction m_messageBox;
    HelpFunction m_help;
    NotifyIconFunction m_notifyIcon;
    bool m_notifyIconShown = false;
    CQueueHandoff* m_handoff = nullptr;
    CTooltipRelay m_relay;
    HWND m_hwnd = nullptr;
    bool m_modal = false;

    std::vector<Placed> m_layout;
    SIZE m_templateClient{};  // the client area the template made
    SIZE m_minimumSize{};     // the window the template made
    UINT m_dpi = 0;           // the scaling the three above are in

    HMENU m_jobsMenu = nullptr;  // owned by the window menu

    UINT m_taskbarCreated = 0;  // the message that says the task bar button (again) exists
    ITaskbarList3* m_taskbar = nullptr;
    bool m_taskbarTried = false;
    bool m_failureShown = false;  // the taskbar button is red until the window is activated
    std::size_t m_done = 0;
    std::size_t m_total = 0;
};

}  // namespace varlo
