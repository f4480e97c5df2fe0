// The main window: the IDD_MAIN dialog with its three path fields and browse buttons, Convert and
// Exit, the auto-convert box and the log. Every event ends in one operation of its controller.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "engine/convert_controller.h"
#include "file_chooser.h"
#include "tooltip_relay.h"

namespace varlo {

class CCaptureReadError;

// Shows a message box and returns the button pressed, as MessageBoxW does.
using MessageBoxFunction = std::function<int(HWND owner, const std::wstring& text,
                                             const std::wstring& caption, UINT type)>;
// Opens a help file at a topic, as WinHelpA does; false when help could not be started.
using HelpFunction =
    std::function<bool(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data)>;

class CConvertDialog : public IConvertView {
public:
    CConvertDialog(CProfileStore& profile, IFileChooser& chooser,
                   ConverterRunner runner = CConvertController::DefaultRunner());
    // Destroys a window still open; its settings are then saved.
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

    std::string GetText(ConvertField field) override;
    void SetText(ConvertField field, const std::string& text) override;
    void MoveCaretToEnd(ConvertField field) override;
    void AppendLog(const std::string& text) override;
    int GetAutoState() override;
    void SetAutoState(int value) override;
    void SetCaption(const std::string& text) override;
    void EnableDrop() override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam);
    BOOL OnInitDialog();
    void OnCommand(int id);
    BOOL OnSysCommand(WPARAM command);
    void OnDropFiles(HDROP drop);
    BOOL OnPaint();
    void OnHelp();
    void OnDestroy();

    void AddTooltips();
    void Browse(FileDialogKind kind);
    // Runs a controller operation; a capture that cannot be read is reported, and the window
    // carries on.
    void Guarded(const std::function<void()>& operation);
    void ShowReadError(const CCaptureReadError& error);
    // Says once, as the window closes, that settings were lost because no write could go anywhere.
    void ShowSaveError();
    HWND FieldWindow(ConvertField field) const;

    HWND m_tooltip = nullptr;
    CProfileStore& m_profile;
    CConvertController m_controller;
    HWND m_autoCheck = nullptr;
    HWND m_logEdit = nullptr;
    HWND m_execEdit = nullptr;
    HWND m_inputEdit = nullptr;
    HWND m_outputEdit = nullptr;
    HICON m_hIcon;

    IFileChooser& m_chooser;
    MessageBoxFunction m_messageBox;
    HelpFunction m_help;
    CTooltipRelay m_relay;
    HWND m_hwnd = nullptr;
    bool m_modal = false;
    bool m_shutDown = false;
    ULONGLONG m_logPaintedAt = 0;
};

}  // namespace varlo
