// varloGui.exe itself, started as the shell starts it: it reads WIN.INI, converts the file it was
// given with a real converter program, shows its window, and saves its settings when closed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "engine/core/path_parts.h"
#include "res/resource.h"
#include "temp_folder.h"
#include "window_driver.h"

namespace varlo {
namespace {

const std::string kProgram = VARLOGUI_PATH;
const std::string kConverter = TEST_CONVERTER_PATH;

// The main window of another process, once it shows; nullptr after ten seconds.
HWND WaitForWindow(DWORD process) {
    for (int tries = 0; tries < 500; ++tries) {
        struct Search {
            DWORD process;
            HWND found;
        } search{process, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == s->process && IsWindowVisible(window) &&
                    test::ClassName(window) == "#32770") {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            return search.found;
        }
        Sleep(20);
    }
    return nullptr;
}

// The text of another process's control: WM_GETTEXT crosses processes, GetWindowText does not.
std::wstring RemoteText(HWND window) {
    wchar_t text[1024] = {};
    SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

class ProgramTest : public ::testing::Test {
protected:
    ~ProgramTest() override {
        // Whatever failed, the program does not outlive the test.
        if (m_process.hProcess != nullptr) {
            TerminateProcess(m_process.hProcess, 1);
            CloseHandle(m_process.hThread);
            CloseHandle(m_process.hProcess);
        }
        WriteProfileStringA(m_section.c_str(), nullptr, nullptr);
        SetEnvironmentVariableA("FAKE_WRITE_OUTPUT", nullptr);
    }

    // Starts varloGui.exe with the command line, in the test's folder; its window, or nullptr.
    HWND Start(std::string commandLine) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            m_folder.Path().c_str(), &startup, &m_process)) {
            ADD_FAILURE() << "cannot start " << commandLine;
            return nullptr;
        }
        const HWND window = WaitForWindow(m_process.dwProcessId);
        if (window == nullptr) {
            TerminateProcess(m_process.hProcess, 1);
        }
        return window;
    }

    // Closes the window from outside and waits for the program's end.
    void Close(HWND window) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_process.hProcess, 10000));
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
        m_process = {};
    }

    // The window shows first, then converts: waits until its log holds `text`.
    static bool LogComes(HWND window, const std::wstring& text) {
        const HWND log = GetDlgItem(window, IDC_LOG);
        for (int tries = 0; tries < 500 && RemoteText(log) != text; ++tries) {
            Sleep(20);
        }
        return RemoteText(log) == text;
    }

    test::CTempFolder m_folder;
    std::string m_section = "varloGui";
    PROCESS_INFORMATION m_process{};
};

TEST_F(ProgramTest, ConvertsItsArgumentShowsTheWindowAndSavesWhenClosed) {
    const std::string input = m_folder.Path() + "\\take one.wav";
    test::WriteFile(input, "RIFF");
    WriteProfileStringA("varloGui", "ExecFile", kConverter.c_str());
    WriteProfileStringA("varloGui", "AutoExec", "1");
    SetEnvironmentVariableA("FAKE_WRITE_OUTPUT", "1");
    // It prints as Japanese console programs do, in Shift-JIS ("ソース エラー").
    test::WriteFile(m_folder.Path() + "\\printed",
                    "\x83\x5C\x81\x5B\x83\x58 \x83\x47\x83\x89\x81\x5B\n");
    SetEnvironmentVariableA("FAKE_STDOUT_FILE", (m_folder.Path() + "\\printed").c_str());

    const HWND window = Start("\"" + kProgram + "\" \"" + input + "\"");
    SetEnvironmentVariableA("FAKE_STDOUT_FILE", nullptr);
    ASSERT_NE(nullptr, window) << "no window showed";

    // The window shows, then converts: in Japanese, with the conversion in its log, what the
    // converter printed read in the system's code page.
    EXPECT_TRUE(LogComes(
        window, L"take one.wav -> take one.aac\r\n" + test::Wide("ソース エラー") + L"\r\n"));
    EXPECT_EQ(L"varloGui", RemoteText(window));
    EXPECT_EQ(test::Wide("変換"), RemoteText(GetDlgItem(window, IDOK)));
    EXPECT_EQ(test::Wide("自動変換"), RemoteText(GetDlgItem(window, IDC_AUTO)));
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(window, IDC_AUTO), BM_GETCHECK, 0, 0));
    const std::string output = m_folder.Path() + "\\take one.aac";
    EXPECT_EQ("converted from " + input, test::ReadFile(output));

    // Closed from outside, it saves what the window holds and ends.
    SendMessageA(GetDlgItem(window, IDC_AUTO), BM_SETCHECK, BST_UNCHECKED, 0);
    Close(window);
    EXPECT_EQ(0u, GetProfileIntA("varloGui", "AutoExec", 7));
    char converter[1024] = {};
    GetProfileStringA("varloGui", "ExecFile", "", converter, sizeof converter);
    EXPECT_EQ(kConverter, converter);
}

TEST_F(ProgramTest, ConvertsNamesOfEveryScriptGivenOnItsCommandLine) {
    // A copy of its own, so that its section of WIN.INI is its own while other tests run.
    m_section = "varloGuiScripts";
    const std::string program = m_folder.Path() + "\\" + m_section + ".exe";
    ASSERT_TRUE(CopyFileA(kProgram.c_str(), program.c_str(), FALSE));
    const std::string folder = test::MakeFolderOfEveryScript(m_folder.Path());
    WriteProfileStringA(m_section.c_str(), "ExecFile", kConverter.c_str());
    WriteProfileStringA(m_section.c_str(), "AutoExec", "1");
    SetEnvironmentVariableA("FAKE_WRITE_OUTPUT", "1");

    std::string commandLine = "\"" + program + "\"";
    std::wstring log;
    for (const std::string& name : test::kNamesOfEveryScript) {
        commandLine += " \"" + folder + "\\" + name + ".wav\"";
        log += test::Wide(name + ".wav -> " + name + ".aac\r\n");
    }
    const HWND window = Start(commandLine);
    ASSERT_NE(nullptr, window) << "no window showed";
    EXPECT_TRUE(LogComes(window, log));
    Close(window);

    for (const std::string& name : test::kNamesOfEveryScript) {
        EXPECT_EQ("converted from " + folder + "\\" + name + ".wav",
                  test::ReadNamed(folder + "\\" + name + ".aac"))
            << name;
    }
    EXPECT_EQ("<missing>", test::ReadNamed(folder + "\\cafe.aac")) << "café is not cafe";
}

TEST_F(ProgramTest, CopiesStartedTogetherWithTheSwitchQueueInOneWindow) {
    // "Open with" on three files: the shell starts the verb once for each, all at once.
    m_section = "varloGuiQueue";
    const std::string program = m_folder.Path() + "\\" + m_section + ".exe";
    ASSERT_TRUE(CopyFileA(kProgram.c_str(), program.c_str(), FALSE));
    WriteProfileStringA(m_section.c_str(), "ExecFile", kConverter.c_str());
    WriteProfileStringA(m_section.c_str(), "AutoExec", "1");
    std::vector<PROCESS_INFORMATION> copies;
    // Whatever fails, no copy outlives the test.
    const std::unique_ptr<void, std::function<void(void*)>> ended(&copies, [&](void*) {
        for (const PROCESS_INFORMATION& copy : copies) {
            TerminateProcess(copy.hProcess, 1);
            CloseHandle(copy.hProcess);
        }
    });
    for (const char* name : {"one", "two", "three"}) {
        std::string commandLine =
            "\"" + program + "\" /queue \"" + m_folder.Path() + "\\" + name + ".wav\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION copy{};
        ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   m_folder.Path().c_str(), &startup, &copy));
        CloseHandle(copy.hThread);
        copy.hThread = nullptr;
        copies.push_back(copy);
    }
    // Two hand their file over and end; the third is the window.
    for (int ended = 0; ended < 2; ++ended) {
        std::vector<HANDLE> running;
        for (const PROCESS_INFORMATION& copy : copies) {
            running.push_back(copy.hProcess);
        }
        const DWORD which = WaitForMultipleObjects(static_cast<DWORD>(running.size()),
                                                   running.data(), FALSE, 20000);
        ASSERT_LT(which - WAIT_OBJECT_0, running.size()) << "a copy that hands over ends";
        DWORD status = 1;
        GetExitCodeProcess(running[which - WAIT_OBJECT_0], &status);
        EXPECT_EQ(0u, status);
        CloseHandle(running[which - WAIT_OBJECT_0]);
        copies.erase(copies.begin() + (which - WAIT_OBJECT_0));
    }
    m_process = copies[0];
    copies.clear();
    const HWND window = WaitForWindow(m_process.dwProcessId);
    ASSERT_NE(nullptr, window);
    std::wstring log;
    for (int tries = 0; tries < 500 && std::count(log.begin(), log.end(), L'\n') < 3; ++tries) {
        Sleep(20);
        log = RemoteText(GetDlgItem(window, IDC_LOG));
    }
    for (const wchar_t* record :
         {L"one.wav -> one.aac", L"two.wav -> two.aac", L"three.wav -> three.aac"}) {
        EXPECT_NE(std::wstring::npos, log.find(record)) << "one log";
    }
    Close(window);
}

}  // namespace
}  // namespace varlo
