#include "queue_handoff.h"

#include <lmcons.h>

#include <algorithm>

#include "common/code_page.h"
#include "engine/core/path_parts.h"
#include "engine/platform/wide_path.h"

namespace varlo {

namespace {

constexpr wchar_t kWindowClass[] = L"varloGui.queue";
// Marks the handed-over paths among other WM_COPYDATA a window might get.
constexpr ULONG_PTR kPathsTag = 0x76517565;  // "vQue"

}  // namespace

CQueueHandoff::CQueueHandoff(const std::string& programPath) {
    // "Local\" is the session's; the user and the program file's name (neither holds a
    // backslash) make it theirs.
    wchar_t user[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    if (!GetUserNameW(user, &size)) {
        user[0] = L'\0';
    }
    std::wstring program = ToWide(SplitPath(programPath).baseName, CP_ACP);
    CharLowerBuffW(program.data(), static_cast<DWORD>(program.size()));
    m_name = L"Local\\varloGui.queue." + program + L"." + user;
}

CQueueHandoff::~CQueueHandoff() {
    Stop();
    ReleaseTurn();
    if (m_mutex != nullptr) {
        CloseHandle(m_mutex);
    }
}

bool CQueueHandoff::HandOver(const std::vector<std::string>& paths) {
    m_mutex = CreateMutexW(nullptr, FALSE, m_name.c_str());
    if (m_mutex == nullptr) {
        return false;  // no turns to be had: this copy opens its own window
    }
    // An abandoned mutex is a turn too: the copy that held it ended without receiving.
    const DWORD waited = WaitForSingleObject(m_mutex, INFINITE);
    m_turn = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (!m_turn) {
        return false;
    }
    const HWND receiver = FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, m_name.c_str());
    if (receiver == nullptr) {
        return false;
    }
    // The receiver's current folder is not this copy's: it gets the paths whole.
    std::string data;
    for (const std::string& path : paths) {
        data += FromWide(FullWidePath(WideFromAnsi(path)), CP_ACP);
        data += '\0';
    }
    COPYDATASTRUCT copy{kPathsTag, static_cast<DWORD>(data.size()), data.data()};
    DWORD_PTR taken = 0;
    // A receiver that has stopped answering is given up on; this copy then receives itself.
    if (!SendMessageTimeoutW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                             SMTO_ABORTIFHUNG, 60000, &taken) ||
        taken != TRUE) {
        return false;
    }
    ReleaseTurn();
    return true;
}

void CQueueHandoff::Receive(std::function<void(const std::vector<std::string>&)> received) {
    m_received = std::move(received);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &CQueueHandoff::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when it is already there
    m_window = CreateWindowExW(0, kWindowClass, m_name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE,
                               nullptr, instance, this);
    ReleaseTurn();
}

void CQueueHandoff::Stop() {
    if (m_window != nullptr) {
        DestroyWindow(m_window);
        m_window = nullptr;
    }
}

void CQueueHandoff::ReleaseTurn() {
    if (m_turn) {
        ReleaseMutex(m_mutex);
        m_turn = false;
    }
}

LRESULT CALLBACK CQueueHandoff::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CQueueHandoff*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message != WM_COPYDATA || self == nullptr || !self->m_received) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (copy->dwData != kPathsTag) {
        return FALSE;
    }
    std::vector<std::string> paths;
    const std::string_view data(static_cast<const char*>(copy->lpData), copy->cbData);
    for (std::size_t start = 0; start < data.size();) {
        const std::size_t end = std::min(data.find('\0', start), data.size());
        if (end > start) {
            paths.emplace_back(data.substr(start, end - start));
        }
        start = end + 1;
    }
    self->m_received(paths);
    return TRUE;
}

}  // namespace varlo
