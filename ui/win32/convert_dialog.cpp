#include "convert_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "engine/core/path_parts.h"
#include "res/resource.h"
#include "texts.h"
#include "ui/main_window.h"
#include "window_place.h"

namespace varlo {

namespace {

// The main window's help topic: topics of dialogs are numbered from 0x20000 on by their id.
constexpr ULONG_PTR kHelpContext = 0x20000 + IDD_MAIN;

// Sent to itself as the window opens: the command line's files are converted once it shows.
constexpr UINT kStartQueueMessage = WM_APP + 2;
static_assert(kStartQueueMessage != CWindowEventLoop::kReadyMessage);
// What the notification-area icon reports: its balloon's end, a click.
constexpr UINT kNotifyIconMessage = WM_APP + 3;
static_assert(kNotifyIconMessage != CWindowEventLoop::kReadyMessage);
constexpr UINT kNotifyIconId = 1;

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
                               IConversionRunner* runner)
    : m_profile(profile),
      m_ownRunner(m_loop),
      m_controller(*this, profile, runner != nullptr ? *runner : m_ownRunner, &m_loop),
      m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ICON))),
      m_chooser(chooser),
      m_messageBox(
          [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
              return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
          }),
      m_help([](HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data) {
          return WinHelpA(owner, helpFile.c_str(), command, data) != FALSE;
      }),
      m_notifyIcon([](DWORD message, const NOTIFYICONDATAW& icon) {
          auto data = icon;
          return Shell_NotifyIconW(message, &data) != FALSE;
      }),
      m_menu(m_controller) {}

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
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), DialogTemplate(IDD_MAIN), parent,
                                   &CConvertDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

HWND CConvertDialog::Create(HWND parent) {
    m_modal = false;
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), DialogTemplate(IDD_MAIN), parent,
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
    const INT_PTR result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}

INT_PTR CConvertDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_loop.OnMessage(message, wParam)) {
        return TRUE;
    }
    if (m_taskbar.OnMessage(message)) {
        return TRUE;
    }
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case kStartQueueMessage:
            m_controller.StartQueue();
            // The files of copies started together join those of this one's command line.
            if (m_handoff != nullptr) {
                m_handoff->Receive([this](const std::vector<std::string>& paths) {
                    m_controller.FilesHandedOver(paths);
                });
            }
            return TRUE;
        case kNotifyIconMessage:
            OnNotifyIcon(LOWORD(lParam));
            return TRUE;
        case WM_DPICHANGED:
            m_layout.OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return TRUE;
        case WM_SYSCOMMAND:
            return m_menu.OnSysCommand(wParam) ? TRUE : FALSE;
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
        case WM_GETMINMAXINFO:
            return m_layout.OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam)) ? TRUE : FALSE;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) {
                m_layout.OnSize(LOWORD(lParam), HIWORD(lParam));
            }
            return TRUE;
        case WM_ACTIVATE:
            // The user is back: the taskbar button and the balloon have said what they had to.
            if (LOWORD(wParam) != WA_INACTIVE) {
                m_taskbar.Activated();
                RemoveNotifyIcon();
            }
            return FALSE;
        case WM_ENDSESSION:
            // The session ends once this returns: nothing may be left running or unsaved.
            if (wParam) {
                m_controller.EndSession();
            }
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
    m_converterEdit = GetDlgItem(m_hwnd, IDC_EXEC);
    m_inputEdit = GetDlgItem(m_hwnd, IDC_INPUT);
    m_outputEdit = GetDlgItem(m_hwnd, IDC_OUTPUT);
    ShowWindow(GetDlgItem(m_hwnd, IDC_PROGRESS), SW_HIDE);  // until conversions run
    // A log of many records outgrows the 32K characters an edit control takes by default.
    SendMessageA(m_logEdit, EM_SETLIMITTEXT, 0, 0);

    SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_layout.Remember(m_hwnd);
    m_loop.Attach(m_hwnd);
    m_taskbar.Attach(m_hwnd);

    m_controller.SetDoubleClickTime(std::chrono::milliseconds(GetDoubleClickTime()));
    m_controller.Start();
    // Where it was last closed; else, at the size it had, in the middle of the screen.
    if (!RestoreWindowPlace(m_hwnd, m_profile, m_controller.Section(), m_layout.MinimumSize())) {
        CentreWindow(m_hwnd, nullptr);
    }
    m_menu.Add(m_hwnd);
    AddTooltips();
    m_relay.Start(m_hwnd, m_tooltip);
    // Only once the window shows do the command line's files start converting.
    PostMessageA(m_hwnd, kStartQueueMessage, 0, 0);
    return TRUE;  // the focus goes to the first tab stop: Convert
}

void CConvertDialog::AddTooltips() {
    m_tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (m_tooltip == nullptr) {
        return;
    }
    for (const ControlEntry& entry : kMainControls) {
        if (entry.tip == TextId::None) {
            continue;
        }
        std::wstring text = UiText(entry.tip);
        TOOLINFOW tool{};
        // The size every version of the common controls takes; version 5 refuses larger ones.
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = m_hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(m_hwnd, entry.id));
        tool.lpszText = text.data();  // copied by the tooltip
        SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CConvertDialog::OnCommand(int id) {
    switch (id) {
        case IDOK:
            m_controller.ConvertClicked();
            break;
        case IDCANCEL:
            // While conversions stop, the controller closes the window once they have.
            if (m_controller.RequestClose()) {
                CloseWindow();
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
            m_menu.OnCommand(static_cast<UINT>(id));
            break;
    }
}

void CConvertDialog::Browse(FileDialogKind kind) {
    if (const std::optional<std::string> path =
            m_chooser.Choose(kind, m_controller.StartFolderFor(kind), m_hwnd)) {
        m_controller.FileChosen(kind, *path);
    }
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
    m_controller.FilesDropped(paths);
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
        m_messageBox(m_hwnd, UiText(TextId::HelpFailed), AnsiToWide(m_controller.Section()),
                     MB_OK | MB_ICONEXCLAMATION);
    }
}

void CConvertDialog::OnDestroy() {
    // A copy started now opens a window of its own rather than hand its file to this one.
    if (m_handoff != nullptr) {
        m_handoff->Stop();
    }
    RemoveNotifyIcon();
    m_relay.Stop();
    m_tooltip = nullptr;  // owned by the window, and so already gone with it
    m_taskbar.Detach();
    SaveWindowPlace(m_hwnd, m_profile, m_controller.Section());
    m_controller.Shutdown();  // once, however the window went
    ShowSaveError();
}

void CConvertDialog::ShowSaveError() {
    if (m_profile.SaveError().empty()) {
        return;
    }
    // The window is already hidden: the box stands on its own.
    m_messageBox(nullptr, UiText(TextId::SaveFailed) + L"\n\n" + AnsiToWide(m_profile.SaveError()),
                 AnsiToWide(m_controller.Section()), MB_OK | MB_ICONEXCLAMATION);
}

HWND CConvertDialog::FieldWindow(ConvertField field) const {
    switch (field) {
        case ConvertField::Input:
            return m_inputEdit;
        case ConvertField::Output:
            return m_outputEdit;
        case ConvertField::Converter:
            return m_converterEdit;
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

void CConvertDialog::SetBusy(bool busy) {
    const HWND convert = GetDlgItem(m_hwnd, IDOK);
    // A button's accessible name is its text: it says 中止 too.
    SetWindowTextW(convert, UiText(busy ? TextId::Stop : TextId::Convert).c_str());
    for (const HWND field : {m_inputEdit, m_outputEdit, m_converterEdit}) {
        SendMessageA(field, EM_SETREADONLY, busy ? TRUE : FALSE, 0);
    }
    for (const int id : {IDC_BROWSE_INPUT, IDC_BROWSE_OUTPUT, IDC_BROWSE_EXEC}) {
        const HWND button = GetDlgItem(m_hwnd, id);
        // The focus would stay on a disabled button, where no key reaches anything.
        if (busy && GetFocus() == button) {
            SendMessageA(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(convert), TRUE);
        }
        EnableWindow(button, busy ? FALSE : TRUE);
    }
}

void CConvertDialog::SetProgress(const ProgressShown& progress) {
    // The button's bar follows the work, weighted by the files' sizes, not the count of files.
    constexpr std::size_t kSteps = 1000;
    const auto done = static_cast<std::size_t>(std::llround(progress.fraction * kSteps));
    m_taskbar.SetProgress(done, progress.total == 0 ? 0 : kSteps);
    // The bar below the log shows while conversions run; its tip says the count and time left.
    if (const HWND bar = GetDlgItem(m_hwnd, IDC_PROGRESS); bar != nullptr) {
        SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(kSteps));
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(done), 0);
        ShowWindow(bar, progress.total == 0 ? SW_HIDE : SW_SHOWNA);
        ShowProgressTip(bar, AnsiToWide(ProgressTip(progress)));
    }
}

void CConvertDialog::ShowProgressTip(HWND bar, std::wstring text) {
    if (m_tooltip == nullptr) {
        return;
    }
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(bar);
    tool.lpszText = text.data();  // copied by the tooltip
    // Added with the first progress: the idle window has no tip for a bar it does not show.
    const UINT message =
        std::exchange(m_progressTipAdded, true) ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW;
    SendMessageW(m_tooltip, message, 0, reinterpret_cast<LPARAM>(&tool));
}

bool CConvertDialog::IsActive() {
    return m_hwnd != nullptr && GetForegroundWindow() == m_hwnd;
}

void CConvertDialog::NotifyBatchEnded(const std::string& summary, bool failures) {
    if (m_hwnd == nullptr) {
        return;
    }
    // A balloon from an icon of the notification area, which Windows 10 and 11 show as a
    // notification; the icon goes again with the balloon.
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = m_hwnd;
    icon.uID = kNotifyIconId;
    icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE | NIF_INFO;
    icon.uCallbackMessage = kNotifyIconMessage;
    icon.hIcon = m_hIcon;
    const std::wstring title = AnsiToWide(m_controller.Section());
    const std::wstring text = AnsiToWide(summary);
    title.copy(icon.szTip, std::size(icon.szTip) - 1);
    title.copy(icon.szInfoTitle, std::size(icon.szInfoTitle) - 1);
    text.copy(icon.szInfo, std::size(icon.szInfo) - 1);
    icon.dwInfoFlags = failures ? NIIF_WARNING : NIIF_INFO;
    if (m_notifyIconShown) {
        m_notifyIcon(NIM_MODIFY, icon);
    } else {
        m_notifyIconShown = m_notifyIcon(NIM_ADD, icon);
    }
    m_taskbar.BatchEnded(failures);
}

void CConvertDialog::OnNotifyIcon(UINT event) {
    switch (event) {
        case NIN_BALLOONUSERCLICK:
        case WM_LBUTTONUP:
            // The user wants the window that told them.
            if (IsIconic(m_hwnd)) {
                ShowWindow(m_hwnd, SW_RESTORE);
            }
            SetForegroundWindow(m_hwnd);
            RemoveNotifyIcon();
            break;
        case NIN_BALLOONTIMEOUT:
        case NIN_BALLOONHIDE:
            RemoveNotifyIcon();
            break;
        default:
            break;
    }
}

void CConvertDialog::RemoveNotifyIcon() {
    if (!std::exchange(m_notifyIconShown, false)) {
        return;
    }
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = m_hwnd;
    icon.uID = kNotifyIconId;
    m_notifyIcon(NIM_DELETE, icon);
}

void CConvertDialog::ShowError(const std::string& caption, const std::string& message) {
    m_messageBox(m_hwnd, AnsiToWide(message), AnsiToWide(caption), MB_OK | MB_ICONSTOP);
}

bool CConvertDialog::Ask(const std::string& caption, const std::string& question) {
    return m_messageBox(m_hwnd, AnsiToWide(question), AnsiToWide(caption),
                        MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void CConvertDialog::CloseWindow() {
    if (m_hwnd == nullptr) {
        return;
    }
    if (m_modal) {
        EndDialog(m_hwnd, IDCANCEL);
    } else {
        DestroyWindow(m_hwnd);
    }
}

}  // namespace varlo
