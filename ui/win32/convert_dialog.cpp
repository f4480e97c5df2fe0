#include "convert_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "about_dialog.h"
#include "engine/converter_run.h"
#include "engine/path_parts.h"
#include "res/resource.h"
#include "texts.h"

namespace varlo {

namespace {

// The main window's help topic: topics of dialogs are numbered from 0x20000 on by their id.
constexpr ULONG_PTR kHelpContext = 0x20000 + IDD_MAIN;

// Repainting the log for every record of a long chain would cost more than the conversions.
constexpr ULONGLONG kChainRepaintMs = 40;

// The controls with a tooltip, in the order their tips are added. Each tip is the string of the
// string table with the control's id.
constexpr int kTooltipControls[] = {IDC_INPUT, IDC_OUTPUT, IDC_EXEC, IDC_AUTO,
                                    IDOK,      IDCANCEL,   IDC_LOG};

// Shows the busy cursor for as long as it lives; nothing is handled meanwhile that would reset it.
class CWaitCursor {
public:
    CWaitCursor() : m_previous(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { SetCursor(m_previous); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_previous;
};

std::string ProgramPath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length < size) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

// The program's path with the extension .HLP in place of its own.
std::string HelpFilePath() {
    const std::string program = ProgramPath();
    return program.substr(0, program.size() - SplitPath(program).extension.size()) + ".HLP";
}

bool ModifierKeyDown() {
    return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

}  // namespace

CConvertDialog::CConvertDialog(CProfileStore& profile, IFileChooser& chooser,
                               ConverterRunner runner)
    : m_profile(profile),
      m_controller(*this, profile, std::move(runner)),
      m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ICON))),
      m_chooser(chooser),
      m_messageBox(
          [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
              return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
          }),
      m_help([](HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data) {
          return WinHelpA(owner, helpFile.c_str(), command, data) != FALSE;
      }) {}

CConvertDialog::~CConvertDialog() {
    if (m_hwnd != nullptr) {
        DestroyWindow(m_hwnd);
    }
}

void CConvertDialog::SetCommandLine(const std::string& commandLine) {
    m_controller.SetCommandLine(commandLine);
}

INT_PTR CConvertDialog::DoModal(HWND parent) {
    m_modal = true;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), parent,
                           &CConvertDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

HWND CConvertDialog::Create(HWND parent) {
    m_modal = false;
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), parent,
                              &CConvertDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CConvertDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CConvertDialog*>(lParam)->m_hwnd = hwnd;
    }
    auto* self = reinterpret_cast<CConvertDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (self == nullptr) {
        return FALSE;  // before WM_INITDIALOG: nothing of ours to do yet
    }
    const INT_PTR result = self->OnMessage(message, wParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}

INT_PTR CConvertDialog::OnMessage(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return TRUE;
        case WM_SYSCOMMAND:
            return OnSysCommand(wParam);
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return TRUE;
        case WM_PAINT:
            return OnPaint();
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(m_hIcon);
        case WM_HELP:
            OnHelp();
            return TRUE;
        case WM_DESTROY:
            OnDestroy();
            return FALSE;
        default:
            break;
    }
    return FALSE;
}

BOOL CConvertDialog::OnInitDialog() {
    m_autoCheck = GetDlgItem(m_hwnd, IDC_AUTO);
    m_logEdit = GetDlgItem(m_hwnd, IDC_LOG);
    m_execEdit = GetDlgItem(m_hwnd, IDC_EXEC);
    m_inputEdit = GetDlgItem(m_hwnd, IDC_INPUT);
    m_outputEdit = GetDlgItem(m_hwnd, IDC_OUTPUT);
    // A log of many records outgrows the 32K characters an edit control takes by default.
    SendMessageA(m_logEdit, EM_SETLIMITTEXT, 0, 0);

    if (HMENU systemMenu = GetSystemMenu(m_hwnd, FALSE); systemMenu != nullptr) {
        const std::wstring about = ResourceString(IDS_ABOUT);
        if (!about.empty()) {
            AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(systemMenu, MF_STRING, IDM_ABOUT, about.c_str());
        }
    }
    SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_shutDown = false;
    m_controller.Start();
    AddTooltips();
    m_relay.Start(m_hwnd, m_tooltip);
    // With auto-convert on, the whole command line converts here, before the window shows.
    Guarded([this] { m_controller.StartQueue(); });
    return TRUE;  // the focus goes to the first tab stop: Convert
}

void CConvertDialog::AddTooltips() {
    m_tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (m_tooltip == nullptr) {
        return;
    }
    for (const int id : kTooltipControls) {
        std::wstring text = ResourceString(static_cast<UINT>(id));
        TOOLINFOW tool{};
        // The size every version of the common controls takes; version 5 refuses larger ones.
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = m_hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(m_hwnd, id));
        tool.lpszText = text.data();  // copied by the tooltip
        SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CConvertDialog::OnCommand(int id) {
    switch (id) {
        case IDOK:
            Guarded([this] { m_controller.ConvertClicked(); });
            break;
        case IDCANCEL:
            if (m_modal) {
                EndDialog(m_hwnd, IDCANCEL);
            } else {
                DestroyWindow(m_hwnd);
            }
            break;
        case IDC_BROWSE_INPUT:
            Browse(FileDialogKind::Input);
            break;
        case IDC_BROWSE_OUTPUT:
            Browse(FileDialogKind::Output);
            break;
        case IDC_BROWSE_EXEC:
            Browse(FileDialogKind::Converter);
            break;
        default:
            break;
    }
}

void CConvertDialog::Browse(FileDialogKind kind) {
    const std::optional<std::string> path = m_chooser.Choose(kind, m_hwnd);
    if (!path) {
        return;
    }
    Guarded([this, kind, &path] {
        switch (kind) {
            case FileDialogKind::Input:
                m_controller.InputChosen(*path);
                break;
            case FileDialogKind::Output:
                m_controller.OutputChosen(*path);
                break;
            case FileDialogKind::Converter:
                m_controller.ConverterChosen(*path);
                break;
        }
    });
}

BOOL CConvertDialog::OnSysCommand(WPARAM command) {
    if ((command & 0xFFF0) != IDM_ABOUT) {
        return FALSE;
    }
    CAboutDialog about;
    about.DoModal(m_hwnd);
    return TRUE;
}

void CConvertDialog::OnDropFiles(HDROP drop) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    paths.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        // Asked for its length first: a dropped name may be longer than MAX_PATH.
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string path(length + 1, '\0');
        path.resize(DragQueryFileA(drop, i, path.data(), length + 1));
        paths.push_back(std::move(path));
    }
    DragFinish(drop);
    Guarded([this, &paths] { m_controller.FilesDropped(paths); });
}

BOOL CConvertDialog::OnPaint() {
    if (!IsIconic(m_hwnd)) {
        return FALSE;
    }
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_hwnd, &paint);
    SendMessageA(m_hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hwnd, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hwnd, &paint);
    return TRUE;
}

void CConvertDialog::OnHelp() {
    // Shift, Ctrl or Alt with F1 is some other command, not a call for help.
    if (ModifierKeyDown()) {
        return;
    }
    if (!m_help(m_hwnd, HelpFilePath(), HELP_CONTEXT, kHelpContext)) {
        m_messageBox(m_hwnd, ResourceString(IDS_HELP_FAILED), AnsiToWide(m_controller.Section()),
                     MB_OK | MB_ICONEXCLAMATION);
    }
}

void CConvertDialog::OnDestroy() {
    m_relay.Stop();
    m_tooltip = nullptr;  // owned by the window, and so already gone with it
    if (!m_shutDown) {
        m_shutDown = true;
        m_controller.Shutdown();
        ShowSaveError();
    }
}

void CConvertDialog::Guarded(const std::function<void()>& operation) {
    std::optional<CCaptureReadError> failure;
    {
        const CWaitCursor wait;
        try {
            operation();
        } catch (const CCaptureReadError& error) {
            failure = error;  // the conversion is abandoned; say so once the cursor is back
        }
    }
    if (failure) {
        ShowReadError(*failure);
    }
}

void CConvertDialog::ShowReadError(const CCaptureReadError& error) {
    std::wstring text = ResourceString(IDS_READ_ERROR);
    const std::wstring path = AnsiToWide(error.CapturePath());
    for (std::size_t at = text.find(L"%1"); at != std::wstring::npos;
         at = text.find(L"%1", at + path.size())) {
        text.replace(at, 2, path);
    }
    m_messageBox(m_hwnd, text, AnsiToWide(m_controller.Section()), MB_OK | MB_ICONSTOP);
}

void CConvertDialog::ShowSaveError() {
    if (m_profile.SaveError().empty()) {
        return;
    }
    // The window is already hidden: the box stands on its own.
    m_messageBox(nullptr,
                 ResourceString(IDS_SAVE_FAILED) + L"\n\n" + AnsiToWide(m_profile.SaveError()),
                 AnsiToWide(m_controller.Section()), MB_OK | MB_ICONEXCLAMATION);
}

HWND CConvertDialog::FieldWindow(ConvertField field) const {
    switch (field) {
        case ConvertField::Input:
            return m_inputEdit;
        case ConvertField::Output:
            return m_outputEdit;
        case ConvertField::Converter:
            return m_execEdit;
        case ConvertField::Log:
            return m_logEdit;
    }
    return nullptr;
}

std::string CConvertDialog::GetText(ConvertField field) {
    const HWND window = FieldWindow(field);
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void CConvertDialog::SetText(ConvertField field, const std::string& text) {
    SetWindowTextA(FieldWindow(field), text.c_str());
}

// An edit control takes a position past its text as the end of it. Asking for the length instead
// would cost a pass over the whole log for every record.
constexpr WPARAM kEnd = 0x7FFFFFFF;

void CConvertDialog::MoveCaretToEnd(ConvertField field) {
    const HWND window = FieldWindow(field);
    SendMessageA(window, EM_SETSEL, kEnd, static_cast<LPARAM>(kEnd));
    SendMessageA(window, EM_SCROLLCARET, 0, 0);
}

void CConvertDialog::AppendLog(const std::string& text) {
    // An edit control's text ends at its first NUL: one printed by a converter would hide the rest
    // of the record and every later one.
    std::string shown = text;
    std::replace(shown.begin(), shown.end(), '\0', ' ');
    // Only the record goes in: its cost does not grow with the log.
    SendMessageA(m_logEdit, EM_SETSEL, kEnd, static_cast<LPARAM>(kEnd));
    SendMessageA(m_logEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(shown.c_str()));
    SendMessageA(m_logEdit, EM_SETSEL, kEnd, static_cast<LPARAM>(kEnd));
    SendMessageA(m_logEdit, EM_SCROLLCARET, 0, 0);
    // Nothing else is handled during a chain, but each record should show as it comes.
    if (IsWindowVisible(m_hwnd)) {
        const ULONGLONG now = GetTickCount64();
        if (now - m_logPaintedAt >= kChainRepaintMs) {
            UpdateWindow(m_logEdit);
            m_logPaintedAt = now;
        }
    }
}

int CConvertDialog::GetAutoState() {
    return static_cast<int>(SendMessageA(m_autoCheck, BM_GETCHECK, 0, 0));
}

void CConvertDialog::SetAutoState(int value) {
    SendMessageA(m_autoCheck, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void CConvertDialog::SetCaption(const std::string& text) {
    SetWindowTextA(m_hwnd, text.c_str());
}

void CConvertDialog::EnableDrop() {
    DragAcceptFiles(m_hwnd, TRUE);
}

}  // namespace varlo
