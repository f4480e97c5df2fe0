// Driving real windows from a test: the message loop, texts, drops, and answering a modal dialog
// box from inside the loop that shows it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace varlo::test {

// UTF-8 as UTF-16, for comparing with what the windows hold.
inline std::wstring Wide(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

// Names in several scripts, each its own file: é (best-fit "e" in an ANSI code page), Hangul,
// an emoji beyond the BMP, and two characters whose Shift-JIS trail byte is '\\'.
inline const std::vector<std::string> kNamesOfEveryScript = {"café", "한글", "🎵", "表ソ"};

// Writes a file named in UTF-8, whatever the code page.
inline void WriteNamed(const std::string& path, const std::string& bytes) {
    const HANDLE file =
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// The bytes of a file named in UTF-8, or "<missing>".
inline std::string ReadNamed(const std::string& path) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<missing>";
    }
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
}

// A folder for names of every script, under `parent`: its own name ends in a character whose
// last UTF-8 byte must not take the separator after it along.
inline std::string MakeFolderOfEveryScript(const std::string& parent) {
    const std::string folder = parent + "\\dossier é";
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    WriteNamed(folder + "\\cafe.wav", "RIFF cafe");
    for (const std::string& name : kNamesOfEveryScript) {
        WriteNamed(folder + "\\" + name + ".wav", "RIFF " + name);
    }
    return folder;
}

inline std::wstring WindowTextW(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

inline std::string WindowTextA(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

inline std::string ClassName(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Handles what is waiting in the thread's queue as the program's loop would: keys reach the
// dialog through IsDialogMessage.
inline void PumpMessages(HWND dialog) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog == nullptr || !IsWindow(dialog) || !IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

// Handles the thread's messages as PumpMessages does until `done` holds, waiting for more in
// between. False when it did not come true within `limitMs`.
inline bool PumpUntil(HWND dialog, const std::function<bool()>& done, DWORD limitMs = 10000) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        PumpMessages(dialog);
        if (done()) {
            return true;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return false;
        }
        // Messages that come from other threads wake it; the cap covers any that do not.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min(end - now, 50ull)),
                                  QS_ALLINPUT);
    }
}

// A drop as the shell hands it over: a DROPFILES header, then each name in UTF-16 ended by a NUL,
// then one more NUL. The names are given in UTF-8. The window that takes it frees it.
inline HDROP MakeDrop(const std::vector<std::string>& names) {
    std::wstring list;
    for (const std::string& name : names) {
        list += Wide(name) + L'\0';
    }
    list += L'\0';
    const std::size_t bytes = list.size() * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(header + 1, list.data(), bytes);
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// The visible dialog boxes of this thread.
inline std::set<HWND> ShownDialogBoxes() {
    std::set<HWND> shown;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            if (ClassName(window) == "#32770" && IsWindowVisible(window)) {
                reinterpret_cast<std::set<HWND>*>(found)->insert(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

// Calls `answer` with the next dialog box this thread shows, from inside the modal loop that
// shows it (a thread timer runs in any loop). The answer must close the box. While it lives,
// no other answer may be waiting.
class CAnswerNextDialog {
public:
    explicit CAnswerNextDialog(std::function<void(HWND)> answer)
        : m_answer(std::move(answer)), m_before(ShownDialogBoxes()) {
        Pending() = this;
        m_timer = SetTimer(nullptr, 0, 20, &CAnswerNextDialog::OnTick);
    }
    ~CAnswerNextDialog() {
        if (Pending() == this) {
            KillTimer(nullptr, m_timer);
            Pending() = nullptr;
        }
    }
    CAnswerNextDialog(const CAnswerNextDialog&) = delete;
    CAnswerNextDialog& operator=(const CAnswerNextDialog&) = delete;

    bool Answered() const { return m_answered; }

private:
    static CAnswerNextDialog*& Pending() {
        thread_local CAnswerNextDialog* pending = nullptr;
        return pending;
    }

    static void CALLBACK OnTick(HWND, UINT, UINT_PTR timer, DWORD) {
        CAnswerNextDialog* self = Pending();
        if (self == nullptr || self->m_timer != timer) {
            KillTimer(nullptr, timer);
            return;
        }
        HWND shown = nullptr;
        for (HWND box : ShownDialogBoxes()) {
            if (self->m_before.count(box) == 0) {
                shown = box;
            }
        }
        // Five seconds for the box to come up.
        if (shown == nullptr && ++self->m_ticks < 250) {
            return;
        }
        KillTimer(nullptr, timer);
        Pending() = nullptr;
        if (shown == nullptr) {
            ADD_FAILURE() << "no dialog box showed";
            return;
        }
        self->m_answered = true;
        self->m_answer(shown);
    }

    std::function<void(HWND)> m_answer;
    std::set<HWND> m_before;
    UINT_PTR m_timer = 0;
    int m_ticks = 0;
    bool m_answered = false;
};

}  // namespace varlo::test
