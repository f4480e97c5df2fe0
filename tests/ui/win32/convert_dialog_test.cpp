// The native main window, made from its template and driven with the messages that clicks, keys
// and drops send, over a profile of the test's own. Conversions go to a runner that the test ends
// them through, or, end to end, to the window's own runner and the converter stand-in.
#include "ui/win32/convert_dialog.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "common/system_text.h"
#include "engine/core/path_parts.h"
#include "engine/platform/file_names.h"
#include "fake_runner.h"
#include "language.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "temp_folder.h"
#include "ui/main_window.h"
#include "window_driver.h"

namespace varlo {
namespace {

using Strings = std::vector<std::string>;
using Names = std::set<std::string>;
using test::Wide;

const std::string kProgram = "\"C:\\Program Files\\varloGui\\varloGui.exe\"";
const std::string kConverter = TEST_CONVERTER_PATH;

// Answers the file dialogs with prepared paths.
class CFakeChooser : public IFileChooser {
public:
    std::optional<std::string> Choose(FileDialogKind kind, const std::string& startFolder,
                                      HWND owner) override {
        asked.push_back(kind);
        folders.push_back(startFolder);
        owners.push_back(owner);
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<FileDialogKind> asked;
    std::vector<std::string> folders;
    std::vector<HWND> owners;
};

struct MessageBoxCall {
    std::wstring text;
    std::wstring caption;
    UINT type;
};

struct HelpCall {
    std::string file;
    UINT command;
    ULONG_PTR data;
};

class Win32DialogTest : public ::testing::Test {
protected:
    Win32DialogTest() { WriteExecFile(m_store, "varloGui", "conv"); }
    ~Win32DialogTest() override {
        m_dialog.reset();
        test::PumpMessages(nullptr);
        for (const char* name : {"FAKE_SLEEP_MS", "FAKE_EXIT", "FAKE_WRITE_OUTPUT"}) {
            SetEnvironmentVariableA(name, nullptr);
        }
    }

    // The window as the program starts it, with arguments and auto-convert as given, once it has
    // handled what it sent itself as it opened. Its conversions go to the test's runner, or with
    // `realRunner` to the window's own, which starts the converter stand-in.
    CConvertDialog& Open(const Strings& arguments = {}, int autoExec = 0, bool realRunner = false) {
        WriteAutoExec(m_store, "varloGui", autoExec);
        if (realRunner) {
            WriteExecFile(m_store, "varloGui", kConverter);
        }
        std::string commandLine = kProgram;
        for (const std::string& argument : arguments) {
            commandLine += " \"" + argument + "\"";
        }
        m_dialog =
            std::make_unique<CConvertDialog>(m_store, m_chooser, realRunner ? nullptr : &m_runner);
        m_dialog->SetMessageBox(
            [this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
                EXPECT_EQ(m_dialog->Handle(), owner);
                m_boxes.push_back({text, caption, type});
                return (type & MB_YESNO) ? m_answer : IDOK;
            });
        m_dialog->SetHelp([this](HWND, const std::string& file, UINT command, ULONG_PTR data) {
            m_helps.push_back({file, command, data});
            return m_helpAnswers;
        });
        m_dialog->SetCommandLine(commandLine);
        m_window = m_dialog->Create();
        EXPECT_NE(nullptr, m_window);
        test::PumpMessages(m_window);
        return *m_dialog;
    }

    Strings Runs() const {
        Strings runs;
        for (const auto& run : m_runner.started) {
            runs.push_back(run.converter + "|" + run.input + "|" + run.output);
        }
        return runs;
    }
    // Ends the earliest conversion still running: "rec <input>", or no record and `status`.
    void FinishNext(const CStatus& status = {}) {
        for (std::size_t i = 0; i < m_runner.started.size(); ++i) {
            const auto& run = m_runner.started[i];
            if (run.finished) {
                const std::string record =
                    "rec " + run.input + (run.stopped ? " stopped" : "") + "\r\n";
                m_runner.End(i, status, status.Ok() ? record : "");
                return;
            }
        }
        ADD_FAILURE() << "nothing runs";
    }
    // Ends conversions until none is left, those that the ends start included.
    void FinishAll() {
        for (int i = 0; i < 100 && m_runner.Running() != 0; ++i) {
            FinishNext();
        }
    }
    std::string Log() const { return m_dialog->GetText(ConvertField::Log); }
    bool Busy() const { return m_dialog->Controller().Busy(); }
    bool PumpUntil(const std::function<bool()>& done) { return test::PumpUntil(m_window, done); }
    std::string Here(const std::string& name) const { return m_folder.Path() + "\\" + name; }

    HWND Control(int id) const { return GetDlgItem(m_window, id); }

    // The window's tooltip control: it belongs to the thread, owned by the window.
    HWND Tooltip() const {
        struct Search {
            HWND owner;
            HWND found;
        } search{m_window, nullptr};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                if (test::ClassName(window) == TOOLTIPS_CLASSA &&
                    GetWindow(window, GW_OWNER) == s->owner) {
                    s->found = window;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    std::string Text(int id) const { return test::WindowTextA(Control(id)); }
    void Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0); }

    // A key pressed while `id` has the focus, handled as the program's loop would.
    void Key(int id, WPARAM key) {
        SetFocus(Control(id));
        PostMessageA(Control(id), WM_KEYDOWN, key, 1);
        PostMessageA(Control(id), WM_KEYUP, key, 1 | (3u << 30));
        test::PumpMessages(m_window);
    }

    void Drop(const Strings& names) {
        SendMessageA(m_window, WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop(names)), 0);
    }

    test::CTempFolder m_folder;
    test::CTempFolder m_controls{/*makeCurrent=*/false};
    CProfileStore m_store{m_controls.Path() + "\\cfg\\profile.ini"};
    CFakeChooser m_chooser;
    test::CFakeRunner m_runner;
    std::vector<MessageBoxCall> m_boxes;
    int m_answer = IDYES;  // to a question
    std::vector<HelpCall> m_helps;
    bool m_helpAnswers = false;
    std::unique_ptr<CConvertDialog> m_dialog;
    HWND m_window = nullptr;
};

POINT Middle(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

TEST_F(Win32DialogTest, SpeaksEachLanguage) {
    const test::CRestoreLanguage restore;
    const struct {
        Language language;
        const char *convert, *stop;
    } languages[] = {{Language::Japanese, "変換", "中止"}, {Language::English, "Convert", "Stop"}};
    for (const auto& l : languages) {
        SetLanguage(l.language);
        Open({}, /*autoExec=*/1);
        EXPECT_EQ(Wide(l.convert), test::WindowTextW(Control(IDOK)));
        Drop({"C:\\w\\a.wav"});
        EXPECT_EQ(Wide(l.stop), test::WindowTextW(Control(IDOK)));
        FinishNext();
    }
}

TEST_F(Win32DialogTest, StartsWithItsNameTheQueueIconAndWindowMenu) {
    WriteJobs(m_store, "varloGui", 2);
    Open({"C:\\w\\a.wav", "C:\\w\\b.wav"});
    EXPECT_EQ(L"varloGui", test::WindowTextW(m_window));
    EXPECT_EQ("C:\\w\\a.wav", Text(IDC_INPUT));
    EXPECT_EQ("C:\\w\\a.aac", Text(IDC_OUTPUT));
    EXPECT_EQ("conv", Text(IDC_EXEC));
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(Control(IDC_AUTO), BM_GETCHECK, 0, 0));
    EXPECT_TRUE(Runs().empty());
    EXPECT_EQ(Control(IDOK), GetFocus()) << "the first tab stop";
    EXPECT_TRUE(GetWindowLongA(m_window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ICON));
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), SendMessageA(m_window, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), SendMessageA(m_window, WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), SendMessageA(m_window, WM_QUERYDRAGICON, 0, 0));

    // The about entry follows the system's own, below a separator.
    const HMENU menu = GetSystemMenu(m_window, FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 3);
    EXPECT_TRUE(GetMenuState(menu, count - 3, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUT), GetMenuItemID(menu, count - 2));
    wchar_t entry[100] = {};
    GetMenuStringW(menu, count - 2, entry, 100, MF_BYPOSITION);
    EXPECT_EQ(Wide("varloGui のﾊﾞｰｼﾞｮﾝ情報(&A)..."), entry);

    // Then how many conversions may run at once: the saved number checked, a choice saved.
    GetMenuStringW(menu, count - 1, entry, 100, MF_BYPOSITION);
    EXPECT_EQ(Wide("同時変換数"), entry);
    const HMENU jobs = GetSubMenu(menu, count - 1);
    ASSERT_GE(GetMenuItemCount(jobs), 2);
    EXPECT_TRUE(GetMenuState(jobs, 1, MF_BYPOSITION) & MF_CHECKED);
    SendMessageA(m_window, WM_SYSCOMMAND, GetMenuItemID(jobs, 0) | 0x3, 0);
    EXPECT_EQ(1, ReadSettings(m_store, "varloGui").jobs);
    EXPECT_TRUE(GetMenuState(jobs, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(jobs, 1, MF_BYPOSITION) & MF_CHECKED);
    // Chosen with the mouse, a submenu's entry arrives as a command.
    SendMessageA(m_window, WM_COMMAND, GetMenuItemID(jobs, 1), 0);
    EXPECT_EQ(2, ReadSettings(m_store, "varloGui").jobs);
}

TEST_F(Win32DialogTest, AProgramOfAnotherNameHasASectionOfItsOwn) {
    WriteAutoExec(m_store, "myConv", 1);
    m_dialog = std::make_unique<CConvertDialog>(m_store, m_chooser, &m_runner);
    m_dialog->SetCommandLine("C:\\tools\\myConv.exe C:\\w\\a.wav");
    m_window = m_dialog->Create();
    test::PumpMessages(m_window);
    EXPECT_EQ(L"myConv - 0/1", test::WindowTextW(m_window));
    EXPECT_EQ("varlo.exe", Text(IDC_EXEC));
    EXPECT_EQ(BST_CHECKED, SendMessageA(Control(IDC_AUTO), BM_GETCHECK, 0, 0));
    EXPECT_EQ((Strings{"varlo.exe|C:\\w\\a.wav|C:\\w\\a.aac"}), Runs())
        << "with auto-convert on, the command line converts at start";
    FinishNext();
    EXPECT_EQ(L"myConv", test::WindowTextW(m_window));
}

TEST_F(Win32DialogTest, TooltipsNameTheControlsOfTheTable) {
    Open();
    const HWND tooltip = Tooltip();
    ASSERT_NE(nullptr, tooltip) << "made with the window as its owner";
    EXPECT_FALSE(GetWindowLongA(tooltip, GWL_STYLE) & TTS_ALWAYSTIP);

    int index = 0;
    for (const ControlEntry& entry : kMainControls) {
        if (entry.tip == TextId::None) {
            continue;
        }
        SCOPED_TRACE(entry.id);
        wchar_t text[256] = {};
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.lpszText = text;
        ASSERT_TRUE(
            SendMessageW(tooltip, TTM_ENUMTOOLSW, index++, reinterpret_cast<LPARAM>(&tool)));
        EXPECT_TRUE(tool.uFlags & TTF_IDISHWND);
        EXPECT_EQ(reinterpret_cast<UINT_PTR>(Control(entry.id)), tool.uId);
        EXPECT_EQ(Wide(std::string(varlo::Text(entry.tip))), text);
    }
    EXPECT_EQ(7, index);
    EXPECT_EQ(index, SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
}

// Records which mouse messages reach the tooltip through TTM_RELAYEVENT.
std::vector<UINT> g_relayed;
WNDPROC g_tooltipProc = nullptr;

LRESULT CALLBACK RecordRelays(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TTM_RELAYEVENT) {
        g_relayed.push_back(reinterpret_cast<const MSG*>(lParam)->message);
    }
    return CallWindowProcW(g_tooltipProc, window, message, wParam, lParam);
}

TEST_F(Win32DialogTest, LeftButtonAndMovesPassThroughTheTooltipFirst) {
    Open();
    const HWND tooltip = Tooltip();
    ASSERT_NE(nullptr, tooltip);
    g_relayed.clear();
    g_tooltipProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(tooltip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordRelays)));

    // Over a label, a field and the dialog itself; the others must go straight to their window.
    const HWND label = GetNextDlgGroupItem(m_window, Control(IDC_INPUT), TRUE);
    for (const HWND target : {Control(IDC_LOG), label, m_window}) {
        for (const UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                   WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP}) {
            PostMessageA(target, message, 0, MAKELPARAM(2, 2));
        }
    }
    test::PumpMessages(m_window);
    SetWindowLongPtrW(tooltip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_tooltipProc));
    const std::vector<UINT> once = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP};
    std::vector<UINT> expected;
    for (int i = 0; i < 3; ++i) {
        expected.insert(expected.end(), once.begin(), once.end());
    }
    EXPECT_EQ(expected, g_relayed);
}

TEST_F(Win32DialogTest, ConvertButtonAndEnterInAnyFieldConvert) {
    Open({"C:\\w\\a.wav"});
    Click(IDOK);
    ASSERT_EQ((Strings{"conv|C:\\w\\a.wav|C:\\w\\a.aac"}), Runs());
    FinishNext();
    EXPECT_EQ("rec C:\\w\\a.wav\r\n", Log());
    EXPECT_TRUE(IsWindow(m_window)) << "the window stays open";

    for (int id : {IDC_INPUT, IDC_OUTPUT, IDC_EXEC, IDC_LOG, IDC_AUTO}) {
        SCOPED_TRACE(id);
        const std::size_t before = Runs().size();
        Key(id, VK_RETURN);
        EXPECT_EQ(before + 1, Runs().size());
        FinishNext();
    }
}

TEST_F(Win32DialogTest, EveryWayOutSavesTheSettingsOnce) {
    const std::function<void()> waysOut[] = {
        [this] { Click(IDCANCEL); },
        [this] { Key(IDC_INPUT, VK_ESCAPE); },
        [this] { SendMessageA(m_window, WM_CLOSE, 0, 0); },
        [this] { SendMessageA(m_window, WM_SYSCOMMAND, SC_CLOSE, 0); },
        [this] { m_dialog.reset(); },
    };
    for (const auto& wayOut : waysOut) {
        Open();
        Click(IDC_AUTO);
        SetWindowTextA(Control(IDC_EXEC), "typed -x");
        wayOut();
        test::PumpMessages(nullptr);
        EXPECT_FALSE(IsWindow(m_window));
        const Settings saved = ReadSettings(m_store, "varloGui");
        EXPECT_EQ("typed -x", saved.execFile);
        EXPECT_EQ(1, saved.autoExec);

        // Once: destroying the object afterwards writes nothing more.
        test::WriteFile(m_store.Path(), "[varloGui]\r\nExecFile=conv\r\n");
        m_dialog.reset();
        EXPECT_EQ("[varloGui]\r\nExecFile=conv\r\n", test::ReadFile(m_store.Path()));
    }
}

TEST_F(Win32DialogTest, SettingsThatCannotBeSavedAreReportedOnceAsTheWindowCloses) {
    Open();
    EXPECT_TRUE(m_boxes.empty());
    // A folder in the profile's place refuses every write.
    ASSERT_TRUE(DeleteFileA(m_store.Path().c_str()));
    ASSERT_TRUE(CreateDirectoryA(m_store.Path().c_str(), nullptr));
    std::vector<HWND> owners;
    m_dialog->SetMessageBox([this, &owners](HWND owner, const std::wstring& text,
                                            const std::wstring& caption, UINT type) {
        owners.push_back(owner);
        m_boxes.push_back({text, caption, type});
        return IDOK;
    });
    m_chooser.answer = "C:\\tools\\conv.exe";
    Click(IDC_BROWSE_EXEC);  // written at once, and refused
    EXPECT_TRUE(m_boxes.empty()) << "said as the window closes, not before";

    Click(IDCANCEL);
    test::PumpMessages(nullptr);
    ASSERT_EQ(1u, m_boxes.size());
    EXPECT_EQ(Wide("設定を保存できませんでした。次回の起動時には以前の設定に戻ります。\n\n") +
                  Wide(m_store.Path() + ": " + SystemErrorText(ERROR_ACCESS_DENIED)),
              m_boxes[0].text);
    EXPECT_EQ(L"varloGui", m_boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), m_boxes[0].type);
    EXPECT_EQ(nullptr, owners[0]) << "the window is gone from the screen";
    m_dialog.reset();
    EXPECT_EQ(1u, m_boxes.size()) << "once";
}

TEST_F(Win32DialogTest, DroppedNamesArriveWholeAndQueue) {
    Open({}, /*autoExec=*/1);
    // Longer than MAX_PATH as a whole, and characters whose Shift-JIS trail byte is '\\'.
    const std::string deep = "C:\\w\\" + std::string(120, 'a') + "\\" + std::string(120, 'b');
    const std::string name = "\\" + std::string(20, 'x');
    Drop({"C:\\w\\with blank.wav", deep + name + ".wav", "C:\\w\\表ソ.wav"});
    FinishAll();
    EXPECT_EQ((Strings{"conv|C:\\w\\with blank.wav|C:\\w\\with blank.aac",
                       "conv|" + deep + name + ".wav|" + deep + name + ".aac",
                       "conv|C:\\w\\表ソ.wav|C:\\w\\表ソ.aac"}),
              Runs());
    EXPECT_EQ("rec C:\\w\\with blank.wav\r\nrec " + deep + name + ".wav\r\nrec C:\\w\\表ソ.wav\r\n",
              Log());

    // Without auto-convert the first loads and the rest wait for Convert.
    Click(IDC_AUTO);
    Drop({"C:\\m\\1.wav", "C:\\m\\2.wav"});
    EXPECT_EQ(3u, Runs().size());
    EXPECT_EQ("C:\\m\\1.wav", Text(IDC_INPUT));
    Click(IDOK);
    EXPECT_EQ("conv|C:\\m\\1.wav|C:\\m\\1.aac", Runs().back());
    FinishNext();
    EXPECT_EQ("C:\\m\\2.wav", Text(IDC_INPUT));
    EXPECT_EQ(4u, Runs().size());
}

TEST_F(Win32DialogTest, DroppedNamesOfEveryScriptConvertTheirOwnFile) {
    ASSERT_EQ(static_cast<UINT>(CP_UTF8), GetACP()) << "the program's manifest is linked in";
    const std::string folder = test::MakeFolderOfEveryScript(m_folder.Path());
    WriteExecFile(m_store, "varloGui", TEST_CONVERTER_PATH);
    SetEnvironmentVariableA("FAKE_WRITE_OUTPUT", "1");
    // What the converter prints in UTF-8 stays as it is.
    test::WriteFile(m_folder.Path() + "\\printed", "ソース エラー\n");
    SetEnvironmentVariableA("FAKE_STDOUT_FILE", (m_folder.Path() + "\\printed").c_str());
    Open({}, /*autoExec=*/1, /*realRunner=*/true);

    Strings dropped;
    std::string log;
    for (const std::string& name : test::kNamesOfEveryScript) {
        dropped.push_back(folder + "\\" + name + ".wav");
        log += name + ".wav -> " + name + ".aac\r\nソース エラー\r\n";
    }
    Drop(dropped);
    ASSERT_TRUE(
        test::PumpUntil(m_dialog->Handle(), [&] { return !m_dialog->Controller().Busy(); }));
    SetEnvironmentVariableA("FAKE_WRITE_OUTPUT", nullptr);
    SetEnvironmentVariableA("FAKE_STDOUT_FILE", nullptr);
    for (const std::string& input : dropped) {
        const std::string output = input.substr(0, input.size() - 4) + ".aac";
        EXPECT_EQ("converted from " + input, test::ReadNamed(output)) << output;
    }
    EXPECT_EQ("<missing>", test::ReadNamed(folder + "\\cafe.aac")) << "café is not cafe";
    EXPECT_EQ(log, m_dialog->GetText(ConvertField::Log));
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(Win32DialogTest, BrowseButtonsHandTheChosenPathToTheController) {
    Open({"C:\\w\\a.wav"});
    m_chooser.answer = "D:\\x\\in.wav";
    Click(IDC_BROWSE_INPUT);
    EXPECT_EQ("D:\\x\\in.wav", Text(IDC_INPUT));
    EXPECT_EQ("D:\\x\\in.aac", Text(IDC_OUTPUT));

    m_chooser.answer = "D:\\x\\out file.aac";
    Click(IDC_BROWSE_OUTPUT);
    EXPECT_EQ("D:\\x\\out file.aac", Text(IDC_OUTPUT));

    m_chooser.answer = "C:\\tools\\varlo.exe";
    Click(IDC_BROWSE_EXEC);
    EXPECT_EQ("C:\\tools\\varlo.exe", Text(IDC_EXEC));
    EXPECT_EQ("C:\\tools\\varlo.exe", ReadSettings(m_store, "varloGui").execFile)
        << "saved at once";

    m_chooser.answer.reset();  // cancel
    Click(IDC_BROWSE_INPUT);
    EXPECT_EQ("D:\\x\\in.wav", Text(IDC_INPUT));
    EXPECT_EQ((std::vector<FileDialogKind>{FileDialogKind::Input, FileDialogKind::Output,
                                           FileDialogKind::Converter, FileDialogKind::Input}),
              m_chooser.asked);
    EXPECT_EQ(std::vector<HWND>(4, m_window), m_chooser.owners);
    // Each opens where its own field points; the converter field held "conv", no folder.
    EXPECT_EQ((Strings{"C:\\w\\", "D:\\x\\", "", "D:\\x\\"}), m_chooser.folders);
    EXPECT_TRUE(Runs().empty());
}

TEST_F(Win32DialogTest, AboutEntryOpensTheAboutBoxAndTouchesNothing) {
    Open({"C:\\w\\a.wav", "C:\\w\\b.wav"});
    m_dialog->SetText(ConvertField::Log, "log");
    std::wstring caption;
    std::vector<std::wstring> labels;
    POINT aboutMiddle{};
    test::CAnswerNextDialog answer([&](HWND about) {
        caption = test::WindowTextW(about);
        aboutMiddle = Middle(about);
        for (HWND child = GetWindow(about, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            labels.push_back(test::WindowTextW(child));
        }
        SendMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    });
    // Sent as the system menu sends it: the low four bits are the system's own.
    SendMessageA(m_window, WM_SYSCOMMAND, IDM_ABOUT | 0x3, 0);
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(Wide("varloGuiのﾊﾞｰｼﾞｮﾝ情報"), caption);
    EXPECT_NEAR(Middle(m_window).x, aboutMiddle.x, 1) << "over the main window";
    EXPECT_NEAR(Middle(m_window).y, aboutMiddle.y, 1);
    ASSERT_EQ(5u, labels.size());
    EXPECT_EQ(L"varloGui Version 1.4", labels[1]);
    EXPECT_FALSE(labels[2].empty());
    EXPECT_EQ(Wide("MIT ライセンス"), labels[3]);
    EXPECT_EQ(L"OK", labels[4]);
    EXPECT_EQ("C:\\w\\a.wav", Text(IDC_INPUT));
    EXPECT_EQ("log", Log());
    EXPECT_EQ(1u, m_dialog->Controller().Queue().size());
    EXPECT_TRUE(Runs().empty());
}

TEST_F(Win32DialogTest, HelpAsksForTheProgramsHelpFileAndSaysWhenItFails) {
    Open();
    HELPINFO info{sizeof info, HELPINFO_WINDOW, IDC_INPUT, Control(IDC_INPUT), 0, {}};
    SendMessageA(m_window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_EQ(1u, m_helps.size());
    char program[MAX_PATH] = {};
    const std::string self(program, GetModuleFileNameA(nullptr, program, MAX_PATH));
    EXPECT_EQ(self.substr(0, self.rfind('.')) + ".HLP", m_helps[0].file);
    EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), m_helps[0].command);
    EXPECT_EQ(0x20066u, m_helps[0].data);
    ASSERT_EQ(1u, m_boxes.size());
    EXPECT_EQ(Wide("ﾍﾙﾌﾟの起動に失敗しました。"), m_boxes[0].text);

    // A help viewer that answers leaves nothing to say.
    m_helpAnswers = true;
    SendMessageA(m_window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(2u, m_helps.size());
    EXPECT_EQ(1u, m_boxes.size());
}

TEST_F(Win32DialogTest, ReadErrorShowsTheMessageAndStopsTheChain) {
    Open({}, /*autoExec=*/1);
    Drop({"C:\\w\\a.wav", "C:\\w\\b.wav", "C:\\w\\c.wav"});
    FinishNext();
    const std::string capture = m_folder.Path() + "\\varloGuiErr0.tmp";
    FinishNext(CStatus::Error(CStatus::Code::ReadFailed, capture, ERROR_ACCESS_DENIED));
    ASSERT_EQ(1u, m_boxes.size());
    EXPECT_EQ(L"varloGui", m_boxes[0].caption);
    EXPECT_EQ(Wide(capture + " へのｱｸｾｽ中に不明なｴﾗｰが発生しました。"), m_boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONSTOP), m_boxes[0].type);
    EXPECT_EQ("rec C:\\w\\a.wav\r\n", Log());
    EXPECT_EQ("C:\\w\\b.wav", Text(IDC_INPUT));
    EXPECT_EQ(1u, m_dialog->Controller().Queue().size()) << "c.wav still waits";
    EXPECT_EQ(2u, Runs().size());
}

TEST_F(Win32DialogTest, LogGrowsPastTheEditDefaultAndShowsItsEnd) {
    Open();
    m_dialog->AppendLog("first\r\n");
    std::string lines;
    for (int i = 0; i < 20; ++i) {
        lines += std::string(70, 'w') + "\r\n";
    }
    for (int i = 0; i < 50; ++i) {
        m_dialog->AppendLog("record " + std::to_string(i) + "\r\n" + lines);
    }
    const std::string log = Log();
    EXPECT_GT(log.size(), 65536u) << "more than an edit control takes by default";
    EXPECT_EQ(0u, log.rfind("first\r\n", 0));
    EXPECT_EQ("record 49\r\n" + lines, log.substr(log.size() - lines.size() - 11));

    DWORD start = 0, end = 0;
    SendMessageA(Control(IDC_LOG), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(log.size(), start);
    EXPECT_EQ(start, end);
    EXPECT_GT(SendMessageA(Control(IDC_LOG), EM_GETFIRSTVISIBLELINE, 0, 0), 1000)
        << "scrolled to the end";

    // Old text plus the record, exactly.
    m_dialog->SetText(ConvertField::Log, "");
    m_dialog->AppendLog("a -> b\r\n");
    m_dialog->AppendLog("c -> d\r\nline\r\n\r\n");
    EXPECT_EQ("a -> b\r\nc -> d\r\nline\r\n\r\n", Log());
}

TEST_F(Win32DialogTest, ALongRecordGoesInBySlicesWhileTheWindowAnswers) {
    Open({}, /*autoExec=*/1);
    std::string big = "big.wav -> big.aac\r\n";
    while (big.size() < 4 * 1024 * 1024) {
        big += std::string(98, 'x') + "\r\n";
    }
    static int turns;  // a timer's callback has no other way in
    turns = 0;
    const UINT_PTR ticker =
        SetTimer(nullptr, 0, USER_TIMER_MINIMUM, [](HWND, UINT, UINT_PTR, DWORD) { ++turns; });
    Drop({"C:\\w\\big.wav", "C:\\w\\small.wav"});
    m_runner.End(0, {}, big);
    EXPECT_LT(Log().size(), big.size()) << "the window goes back to its messages before it is in";
    ASSERT_TRUE(test::PumpUntil(
        m_window,
        [&] {
            if (m_runner.Running() != 0) {
                FinishNext();
            }
            return !Busy();
        },
        120000));
    KillTimer(nullptr, ticker);
    EXPECT_GE(turns, 2);
    EXPECT_EQ(big + "rec C:\\w\\small.wav\r\n", Log()) << "whole, and the next record after it";
}

TEST_F(Win32DialogTest, ANulInARecordHidesNothingAfterIt) {
    Open();
    using namespace std::string_literals;
    m_dialog->AppendLog("x.wav -> x.aac\r\nnul \0 tab\t\r\nlast\r\n"s);
    EXPECT_EQ("x.wav -> x.aac\r\nnul   tab\t\r\nlast\r\n", Log());
}

TEST_F(Win32DialogTest, FieldsMoveTheirCaretToTheEnd) {
    Open({"C:\\w\\a.wav"});
    for (const ConvertField field : {ConvertField::Input, ConvertField::Output}) {
        const int id = field == ConvertField::Input ? IDC_INPUT : IDC_OUTPUT;
        SendMessageA(Control(id), EM_SETSEL, 0, 0);
        m_dialog->MoveCaretToEnd(field);
        DWORD start = 0, end = 0;
        SendMessageA(Control(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(Text(id).size(), start);
        EXPECT_EQ(start, end);
    }
}

TEST_F(Win32DialogTest, AChainHoldsTheFieldsTakesDropsAndStopsOnStop) {
    Open({}, /*autoExec=*/1);
    Drop({"C:\\w\\a.wav", "C:\\w\\b.wav"});
    const auto expectBusy = [this](bool busy) {
        EXPECT_EQ(Wide(busy ? "中止" : "変換"), test::WindowTextW(Control(IDOK)));
        for (const int id : {IDC_INPUT, IDC_OUTPUT, IDC_EXEC}) {
            EXPECT_EQ(busy, (GetWindowLongA(Control(id), GWL_STYLE) & ES_READONLY) != 0) << id;
        }
        for (const int id : {IDC_BROWSE_INPUT, IDC_BROWSE_OUTPUT, IDC_BROWSE_EXEC}) {
            EXPECT_EQ(!busy, IsWindowEnabled(Control(id)) != FALSE) << id;
        }
        EXPECT_TRUE(IsWindowEnabled(Control(IDC_AUTO))) << "auto-convert stays live";
        EXPECT_EQ(busy, IsWindowVisible(Control(IDC_PROGRESS)) != FALSE) << "the bar";
    };
    ASSERT_EQ(1u, Runs().size());
    expectBusy(true);
    EXPECT_EQ(L"varloGui - 0/2", test::WindowTextW(m_window));

    // A drop joins the queue behind the running file, and the log stays.
    FinishNext();
    Drop({"C:\\w\\late.wav"});
    EXPECT_EQ("rec C:\\w\\a.wav\r\n", Log());
    EXPECT_EQ(2u, Runs().size());
    EXPECT_EQ(L"varloGui - 1/3", test::WindowTextW(m_window));
    EXPECT_EQ(333, SendMessageW(Control(IDC_PROGRESS), PBM_GETPOS, 0, 0)) << "files not sized";

    // 中止: the running one is stopped, the rest of the queue dropped.
    Click(IDOK);
    EXPECT_TRUE(m_runner.started.at(1).stopped);
    FinishNext();
    EXPECT_EQ("rec C:\\w\\a.wav\r\nrec C:\\w\\b.wav stopped\r\n", Log());
    EXPECT_EQ(2u, Runs().size());
    EXPECT_EQ("", Text(IDC_INPUT));
    EXPECT_EQ("", Text(IDC_OUTPUT));
    EXPECT_TRUE(m_dialog->Controller().Queue().empty());
    expectBusy(false);
    EXPECT_EQ(L"varloGui", test::WindowTextW(m_window));
}

TEST_F(Win32DialogTest, ClosingDuringAChainWaitsForItToStop) {
    Open({"C:\\w\\a.wav", "C:\\w\\b.wav"}, /*autoExec=*/1);
    m_answer = IDNO;
    Click(IDCANCEL);
    test::PumpMessages(m_window);
    ASSERT_EQ(1u, m_boxes.size());
    EXPECT_EQ(Wide("変換中です。中止して終了しますか?"), m_boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), m_boxes[0].type);
    EXPECT_FALSE(m_runner.started.at(0).stopped) << "answered No: the conversions go on";
    m_answer = IDYES;
    SendMessageA(m_window, WM_CLOSE, 0, 0);
    test::PumpMessages(m_window);  // the dialog posts itself IDCANCEL
    EXPECT_EQ(2u, m_boxes.size());
    EXPECT_TRUE(IsWindow(m_window)) << "open until the converter has stopped";
    EXPECT_TRUE(m_runner.started.at(0).stopped);
    FinishNext();
    EXPECT_FALSE(IsWindow(m_window));
    EXPECT_EQ(1, ReadSettings(m_store, "varloGui").autoExec) << "saved";
    EXPECT_EQ(1u, Runs().size()) << "b.wav was not started";
}

TEST_F(Win32DialogTest, TheLogTakesTheRoomOfALargerWindow) {
    Open();
    RECT before;
    GetWindowRect(m_window, &before);
    MINMAXINFO limits{};
    SendMessageA(m_window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(before.right - before.left, limits.ptMinTrackSize.x) << "never below the template";
    EXPECT_EQ(before.bottom - before.top, limits.ptMinTrackSize.y);

    const auto rectOf = [this](int id) {
        RECT rect;
        GetWindowRect(Control(id), &rect);
        MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    std::map<int, RECT> old;
    for (const int id : {IDOK, IDCANCEL, IDC_INPUT, IDC_BROWSE_INPUT, IDC_LOG, IDC_AUTO}) {
        old[id] = rectOf(id);
    }
    SetWindowPos(m_window, nullptr, 0, 0, before.right - before.left + 120,
                 before.bottom - before.top + 80, SWP_NOMOVE | SWP_NOZORDER);
    const auto grew = [&](int id) {
        const RECT now = rectOf(id);
        return std::vector<LONG>{now.left - old[id].left, now.top - old[id].top,
                                 now.right - old[id].right, now.bottom - old[id].bottom};
    };
    EXPECT_EQ((std::vector<LONG>{0, 0, 120, 80}), grew(IDC_LOG));
    EXPECT_EQ((std::vector<LONG>{0, 0, 120, 0}), grew(IDC_INPUT));
    EXPECT_EQ((std::vector<LONG>{120, 0, 120, 0}), grew(IDC_BROWSE_INPUT));
    EXPECT_EQ((std::vector<LONG>{120, 0, 120, 0}), grew(IDCANCEL));
    EXPECT_EQ((std::vector<LONG>{0, 0, 0, 0}), grew(IDOK));
    EXPECT_EQ((std::vector<LONG>{0, 0, 0, 0}), grew(IDC_AUTO));
}

TEST_F(Win32DialogTest, OpensInTheMiddleMinimizesAndScalesWithTheScreen) {
    Open();
    EXPECT_TRUE(GetWindowLongA(m_window, GWL_STYLE) & WS_MINIMIZEBOX);
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY), &screen);
    EXPECT_NEAR((screen.rcWork.left + screen.rcWork.right) / 2, Middle(m_window).x, 1);
    EXPECT_NEAR((screen.rcWork.top + screen.rcWork.bottom) / 2, Middle(m_window).y, 1);

    // Moved to a screen scaled by 150 %: every control and the least size scale alike, and the
    // growth rules go on from there.
    const auto box = [this](int id) {
        RECT rect;
        GetWindowRect(Control(id), &rect);
        MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    const RECT log = box(IDC_LOG), convert = box(IDOK);
    RECT window, client;
    GetWindowRect(m_window, &window);
    GetClientRect(m_window, &client);
    // The client area scaled (rounded as the system does); the frame is the system's.
    RECT proposed{window.left, window.top, window.right + (client.right + 1) / 2,
                  window.bottom + (client.bottom + 1) / 2};
    SendMessageA(m_window, WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&proposed));
    const auto expectScaled = [](const RECT& before, const RECT& after) {
        EXPECT_NEAR(before.left * 3 / 2, after.left, 2);
        EXPECT_NEAR(before.top * 3 / 2, after.top, 2);
        EXPECT_NEAR(before.right * 3 / 2, after.right, 2);
        EXPECT_NEAR(before.bottom * 3 / 2, after.bottom, 2);
    };
    expectScaled(log, box(IDC_LOG));
    expectScaled(convert, box(IDOK));
    MINMAXINFO limits{};
    SendMessageA(m_window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(proposed.right - proposed.left, limits.ptMinTrackSize.x);
    EXPECT_EQ(proposed.bottom - proposed.top, limits.ptMinTrackSize.y);
    const RECT scaledLog = box(IDC_LOG);
    SetWindowPos(m_window, nullptr, 0, 0, proposed.right - proposed.left + 90,
                 proposed.bottom - proposed.top + 60, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(scaledLog.right - scaledLog.left + 90, box(IDC_LOG).right - box(IDC_LOG).left);
    EXPECT_EQ(scaledLog.bottom - scaledLog.top + 60, box(IDC_LOG).bottom - box(IDC_LOG).top);
}

TEST_F(Win32DialogTest, ABatchsEndIsToldInABalloonThatGoesWithIt) {
    struct Call {
        DWORD message;
        std::wstring title, text;
        DWORD flags;
        UINT callback;
    };
    std::vector<Call> calls;
    Open();
    m_dialog->SetNotifyIcon([&](DWORD message, const NOTIFYICONDATAW& icon) {
        calls.push_back(
            {message, icon.szInfoTitle, icon.szInfo, icon.dwInfoFlags, icon.uCallbackMessage});
        return true;
    });
    m_dialog->NotifyBatchEnded(NativeText(TextId::StoppedAfter, {"2", "6"}), /*failures=*/true);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), calls[0].message);
    EXPECT_EQ(L"varloGui", calls[0].title);
    EXPECT_EQ(Wide("6 個中 2 個で中止しました"), calls[0].text);
    EXPECT_EQ(static_cast<DWORD>(NIIF_WARNING), calls[0].flags);

    // The balloon goes, and its icon with it; once.
    SendMessageA(m_window, calls[0].callback, 0, NIN_BALLOONTIMEOUT);
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), calls[1].message);
    m_dialog.reset();
    EXPECT_EQ(2u, calls.size());
}

TEST_F(Win32DialogTest, TheWindowComesBackAtItsSizeAndPlace) {
    const auto box = [this] {
        RECT now;
        GetWindowRect(m_window, &now);
        return std::vector<LONG>{now.left, now.top, now.right - now.left, now.bottom - now.top};
    };
    Open();
    const std::vector<LONG> moved = {30, 40, box()[2] + 120, box()[3] + 80};
    SetWindowPos(m_window, nullptr, 30, 40, moved[2], moved[3], SWP_NOZORDER);
    Click(IDCANCEL);
    Open();
    EXPECT_EQ(moved, box());
}

// End to end: the window's own runner starts the converter stand-in, and the converters' ends
// come back through the window's messages.
class Win32DialogRunTest : public Win32DialogTest {
protected:
    static std::string Outcome(const char* utf8) { return NativeText(utf8) + "\r\n"; }
};

TEST_F(Win32DialogRunTest, AChainRunsWhileTheWindowHandlesItsMessages) {
    // Each converter takes a while and fails: the chain goes on, each record saying so.
    SetEnvironmentVariableA("FAKE_SLEEP_MS", "400");
    SetEnvironmentVariableA("FAKE_EXIT", "3");
    Open({Here("a.wav"), Here("b.wav")}, /*autoExec=*/1, /*realRunner=*/true);
    EXPECT_TRUE(IsWindowVisible(m_window));
    EXPECT_EQ("", Log()) << "the window shows first, then converts";
    EXPECT_TRUE(Busy());

    const std::string failed = Outcome("変換プログラムが終了コード 3 で終了しました。");
    ASSERT_TRUE(PumpUntil([&] { return !Log().empty(); }));
    EXPECT_EQ("a.wav -> a.aac\r\n" + failed, Log());
    PostMessageA(m_window, WM_DROPFILES, reinterpret_cast<WPARAM>(test::MakeDrop({Here("c.wav")})),
                 0);
    ASSERT_TRUE(PumpUntil([&] { return !m_dialog->Controller().Queue().empty(); }));
    EXPECT_TRUE(Busy()) << "the drop was handled while b.wav converted";

    ASSERT_TRUE(PumpUntil([&] { return !Busy(); }));
    EXPECT_EQ("a.wav -> a.aac\r\n" + failed + "b.wav -> b.aac\r\n" + failed + "c.wav -> c.aac\r\n" +
                  failed,
              Log());
    EXPECT_EQ("", Text(IDC_INPUT));
    EXPECT_EQ(L"varloGui", test::WindowTextW(m_window));
    EXPECT_EQ(Names{}, m_folder.Names()) << "no capture left";
}

// 中止, and the end of the session, which must be over when its message returns.
TEST_F(Win32DialogRunTest, StopAndSessionEndEndALongConverterAndRemoveWhatItMade) {
    SetEnvironmentVariableA("FAKE_WRITE_OUTPUT", "1");
    SetEnvironmentVariableA("FAKE_SLEEP_MS", "60000");
    for (const bool sessionEnds : {false, true}) {
        SCOPED_TRACE(sessionEnds);
        Open({Here("a.wav"), Here("b.wav")}, /*autoExec=*/1, /*realRunner=*/true);
        ASSERT_TRUE(PumpUntil([&] { return PathExists(Here("a.aac")); }));
        if (sessionEnds) {
            Click(IDC_AUTO);  // live during the chain
            SendMessageA(m_window, WM_ENDSESSION, TRUE, 0);
            EXPECT_EQ(0, ReadSettings(m_store, "varloGui").autoExec) << "saved";
        } else {
            Click(IDOK);
            ASSERT_TRUE(PumpUntil([&] { return !Busy(); }));
        }
        EXPECT_FALSE(Busy());
        EXPECT_EQ("a.wav -> a.aac\r\n" + Outcome("変換を中止しました。"), Log());
        EXPECT_EQ(Names{}, m_folder.Names()) << "neither the output begun nor a capture";
        EXPECT_EQ("", Text(IDC_INPUT)) << "b.wav went with the stop";
    }
}

}  // namespace
}  // namespace varlo
