// The main window: the IDD_MAIN dialog with its three path fields and browse buttons, Convert and
// Exit, the auto-convert box and the log. Every event ends in one operation of its controller.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <functional>
#include <string>
#include <vector>

#include "dialog_layout.h"
#include "engine/convert_controller.h"
#include "engine/process_runner.h"
#include "file_chooser.h"
#include "queue_handoff.h"
#include "taskbar_progress.h"
#include "tooltip_relay.h"
#include "window_event_loop.h"
#include "window_menu.h"

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
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void OnCommand(int id);
    void OnDropFiles(HDROP drop);
    BOOL OnPaint();
    void OnHelp();
    void OnDestroy();
    // The notification-area icon whose balloon tells a batch's end.
    void OnNotifyIcon(UINT event);
    void RemoveNotifyIcon();

    void AddTooltips();
    void Browse(FileDialogKind kind);
    // Says once, as the window closes, that settings were lost because no write could go anywhere.
    void ShowSaveError();
    HWND FieldWindow(ConvertField field) const;
    // The progress bar's tip, the count and the time left.
    void ShowProgressTip(HWND bar, std::wstring text);

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

    CDialogLayout m_layout;
    CWindowMenu m_menu;
    CTaskbarProgress m_taskbar;
};

}  // namespace varlo
