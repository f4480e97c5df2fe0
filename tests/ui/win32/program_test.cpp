// varloGui.exe itself, started as the shell starts it: it reads WIN.INI, shows its window, converts
// the file it was given with a real converter program, and saves its settings when closed.
#include <windows.h>

#include <gtest/gtest.h>

#include "engine/path_parts.h"
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
        WriteProfileStringA("varloGui", nullptr, nullptr);
        SetEnvironmentVariableA("FAKE_WRITE_OUTPUT", nullptr);
    }
    test::CTempFolder m_folder;
};

TEST_F(ProgramTest, ConvertsItsArgumentShowsTheWindowAndSavesWhenClosed) {
    const std::string input = m_folder.Path() + "\\take one.wav";
    test::WriteFile(input, "RIFF");
    WriteProfileStringA("varloGui", "ExecFile", kConverter.c_str());
    WriteProfileStringA("varloGui", "AutoExec", "1");
    SetEnvironmentVariableA("FAKE_WRITE_OUTPUT", "1");

    std::string commandLine = "\"" + kProgram + "\" \"" + input + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               m_folder.Path().c_str(), &startup, &process));
    // Whatever fails below, the program does not outlive the test.
    struct Ender {
        PROCESS_INFORMATION& process;
        ~Ender() {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process.hProcess, 1);
            }
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    } ender{process};
    const HWND window = WaitForWindow(process.dwProcessId);
    ASSERT_NE(nullptr, window) << "no window showed";

    // The window shows, then converts: in Japanese, with the conversion in its log.
    const HWND log = GetDlgItem(window, IDC_LOG);
    for (int tries = 0; tries < 500 && RemoteText(log).empty(); ++tries) {
        Sleep(20);
    }
    EXPECT_EQ(L"varloGui", RemoteText(window));
    EXPECT_EQ(test::Wide("変換"), RemoteText(GetDlgItem(window, IDOK)));
    EXPECT_EQ(test::Wide("自動変換"), RemoteText(GetDlgItem(window, IDC_AUTO)));
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(window, IDC_AUTO), BM_GETCHECK, 0, 0));
    const std::string output = m_folder.Path() + "\\take one.aac";
    EXPECT_EQ(L"take one.wav -> take one.aac\r\n", RemoteText(log));
    EXPECT_EQ("converted from " + input, test::ReadFile(output));

    // Closed from outside, it saves what the window holds and ends.
    SendMessageA(GetDlgItem(window, IDC_AUTO), BM_SETCHECK, BST_UNCHECKED, 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000));
    EXPECT_EQ(0u, GetProfileIntA("varloGui", "AutoExec", 7));
    char converter[1024] = {};
    GetProfileStringA("varloGui", "ExecFile", "", converter, sizeof converter);
    EXPECT_EQ(kConverter, converter);
    EXPECT_FALSE(PathExists(m_folder.Path() + "\\varloGuiErr0.tmp")) << "no capture left";
    EXPECT_FALSE(PathExists(m_folder.Path() + "\\varloGuiOut0.tmp"));
}

}  // namespace
}  // namespace varlo
