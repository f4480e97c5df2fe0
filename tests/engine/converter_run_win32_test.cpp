// The converter run through the Windows layer: captures, the converter started without an
// interpreter, batch files through one, Shift-JIS names in code page 932, how a run ends (an exit
// status, a stop that reaches what the converter started), and waiting on many ends at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "common/system_text.h"
#include "engine/converter_run.h"
#include "engine/core/path_parts.h"
#include "engine/event_loop.h"
#include "engine/output_path.h"
#include "engine/platform/capture_file.h"
#include "engine/platform/console_text.h"
#include "engine/platform/file_names.h"
#include "engine/platform/wide_path.h"
#include "engine/process_runner.h"
#include "run_record.h"
#include "temp_folder.h"
#include "wait_loop.h"

namespace varlo {
namespace {

using Strings = std::vector<std::string>;
using Names = std::set<std::string>;

const std::string kConverter = TEST_CONVERTER_PATH;
const std::string kNotStarted = NativeText("変換プログラムを起動できませんでした。") + "\r\n";

// Checks `condition` until it holds or ten seconds have passed.
bool WaitUntil(const std::function<bool()>& condition) {
    for (int tries = 0; tries < 1000; ++tries) {
        if (condition()) {
            return true;
        }
        Sleep(10);
    }
    return condition();
}

// 表 (0x95 0x5C) and ソ (0x83 0x5C): Shift-JIS characters whose trail byte is '\'.
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";
// ﾊﾝｶｸ: half-width katakana, one byte each in code page 932.
const std::string kHankaku = "\xCA\xDD\xB6\xB8";

// The converter reports in UTF-8; in the code page of this program, or "<lost>" when the text
// has no exact form there.
std::string InAnsiCodePage(const std::string& utf8) {
    if (utf8.empty()) {
        return utf8;
    }
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    std::string ansi(wide.size() * 2, '\0');
    BOOL lost = FALSE;
    ansi.resize(static_cast<std::size_t>(WideCharToMultiByte(
        CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), ansi.data(),
        static_cast<int>(ansi.size()), nullptr, &lost)));
    return lost ? "<lost>" : ansi;
}

class ConverterRunWin32Test : public ::testing::Test {
protected:
    ConverterRunWin32Test() : m_controls(/*makeCurrent=*/false) {
        SetEnvironmentVariableA("FAKE_REPORT", ReportPath().c_str());
    }
    ~ConverterRunWin32Test() override {
        for (const char* name : {"FAKE_REPORT", "FAKE_STDOUT_FILE", "FAKE_STDERR_FILE", "FAKE_EXIT",
                                 "FAKE_WRITE_OUTPUT", "FAKE_SLEEP_MS", "FAKE_CHILD_PID_FILE"}) {
            SetEnvironmentVariableA(name, nullptr);
        }
    }

    std::string ReportPath() const { return m_controls.Path() + "\\report"; }

    void Prints(const std::string& out, const std::string& err) {
        test::WriteFile(m_controls.Path() + "\\out", out);
        test::WriteFile(m_controls.Path() + "\\err", err);
        SetEnvironmentVariableA("FAKE_STDOUT_FILE", (m_controls.Path() + "\\out").c_str());
        SetEnvironmentVariableA("FAKE_STDERR_FILE", (m_controls.Path() + "\\err").c_str());
    }

    // The converter's arguments after its own path, as it received them.
    Strings Arguments() {
        if (!PathExists(ReportPath())) {
            return {};
        }
        const std::string bytes = test::ReadFile(ReportPath());
        Strings fields;
        for (std::size_t start = 0, end; (end = bytes.find('\0', start)) != std::string::npos;
             start = end + 1) {
            fields.push_back(InAnsiCodePage(bytes.substr(start, end - start)));
        }
        DeleteFileA(ReportPath().c_str());
        return fields.size() < 2 ? Strings{} : Strings(fields.begin() + 2, fields.end());
    }

    test::CTempFolder m_folder;
    test::CTempFolder m_controls;
};

TEST_F(ConverterRunWin32Test, CodePageIs932) {
    // Everything below that speaks of Shift-JIS relies on it.
    EXPECT_EQ(932u, GetACP());
    EXPECT_TRUE(PlatformPathRules().isLeadByte(0x95));
    EXPECT_FALSE(PlatformPathRules().isLeadByte('a'));
}

TEST(ConsoleText, EachLineIsReadInItsOwnEncoding) {
    // A batch file echoes in the console's code page 932, then runs a program that prints UTF-8.
    const struct {
        std::string printed, shown;
    } cases[] = {
        {kSo + "\x83\x74\x83\x67\r\n" + "ソフト\r\n", "ソフト\r\nソフト\r\n"},
        {"ソフト\n" + kHankaku, "ソフト\nﾊﾝｶｸ"},  // the last line without its end
        {"plain\r\n" + kHyou + "\r\n\r\n", "plain\r\n表\r\n\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.shown, ConsoleLinesToUtf8(c.printed, 932)) << c.shown;
    }
}

TEST_F(ConverterRunWin32Test, RecordHoldsErrorLinesThenOutputLines) {
    Prints("A\r\nB", "E\r\n");
    EXPECT_EQ("song.wav -> song.aac\r\nE\r\nA\r\nB\r\n",
              test::RecordOf(kConverter, "C:\\wav\\song.wav", "C:\\wav\\song.aac"));
    EXPECT_EQ((Strings{"C:\\wav\\song.wav", "C:\\wav\\song.aac"}), Arguments());
    EXPECT_EQ(Names{}, m_folder.Names()) << "no capture may remain";
}

TEST_F(ConverterRunWin32Test, NamesReachTheConverterWhateverTheyHold) {
    const Strings names = {
        "%USERPROFILE%.wav",
        "%PATH%",
        "^&|<>.wav",
        "a & echo pwned > pwned.txt",
        "a b.wav",
        "C:\\dir\\",
        "C:\\trailing\\\\",
        "quote\"inside.wav",
        "back\\\"slash.wav",
        "\\\\server\\share\\x.wav",
        kHyou + kSo + ".wav",
        kHankaku + ".wav",
        "-rf",
        "*?.wav",
        "",
    };
    for (const std::string& name : names) {
        test::RecordOf(kConverter + " -x", name, name + ".aac");
        // A leading '-' is shielded from option parsing; every other byte arrives as it is.
        const std::string shield = name.starts_with('-') ? ".\\" : "";
        EXPECT_EQ((Strings{"-x", shield + name, shield + name + ".aac"}), Arguments()) << name;
    }
    EXPECT_FALSE(PathExists("pwned.txt"));
    EXPECT_EQ(Names{}, m_folder.Names());
}

TEST_F(ConverterRunWin32Test, ConverterGetsExactlyTheWordsOfItsText) {
    // Blanks around the text or between words never make an argument of their own.
    test::RecordOf("  " + kConverter + "   -x  \"a b\" \"\"  ", "in.wav", "out.aac");
    EXPECT_EQ((Strings{"-x", "a b", "", "in.wav", "out.aac"}), Arguments());
    test::RecordOf("\t\"" + kConverter + "\"\t", "in.wav", "out.aac");
    EXPECT_EQ((Strings{"in.wav", "out.aac"}), Arguments());
}

TEST_F(ConverterRunWin32Test, EnvironmentNamesInTheConverterTextAreExpanded) {
    const std::size_t slash = kConverter.find_last_of("/\\");
    SetEnvironmentVariableA("VARLO_TEST_TOOLS", kConverter.substr(0, slash).c_str());
    SetEnvironmentVariableA("VARLO_TEST_FLAG", "-q");
    test::RecordOf("%VARLO_TEST_TOOLS%" + kConverter.substr(slash) + " %VARLO_TEST_FLAG%",
                   "%VARLO_TEST_FLAG%.wav", "b.aac");
    EXPECT_EQ((Strings{"-q", "%VARLO_TEST_FLAG%.wav", "b.aac"}), Arguments())
        << "the text is expanded, file names never";
    SetEnvironmentVariableA("VARLO_TEST_TOOLS", nullptr);
    SetEnvironmentVariableA("VARLO_TEST_FLAG", nullptr);

    // An unknown name stays as written, as the interpreter leaves it.
    EXPECT_EQ("a.wav -> a.aac\r\n%VARLO_NO_SUCH%\\conv.exe: " +
                  SystemErrorText(ERROR_FILE_NOT_FOUND) + "\r\n" + kNotStarted,
              test::RecordOf("%VARLO_NO_SUCH%\\conv.exe", "a.wav", "a.aac"));
}

TEST_F(ConverterRunWin32Test, MissingConverterIsReportedUnderTheHeader) {
    const std::string notFound = SystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ("a.wav -> a.aac\r\nvarlo-no-such.exe: " + notFound + "\r\n" + kNotStarted,
              test::RecordOf("varlo-no-such.exe", "a.wav", "a.aac"));
    EXPECT_EQ("a.wav -> a.aac\r\nvarlo: " + notFound + "\r\n" + kNotStarted,
              test::RecordOf("varlo -y", "a.wav", "a.aac"));
    EXPECT_EQ("a.wav -> a.aac\r\n\"\": " + notFound + "\r\n" + kNotStarted,
              test::RecordOf("", "a.wav", "a.aac"));
    EXPECT_EQ(Names{}, m_folder.Names());
}

TEST_F(ConverterRunWin32Test, BatchConverterRunsThroughTheInterpreterWithSafeNamesOnly) {
    test::WriteFile("conv.bat", "@echo off\r\necho in=%1\r\necho out=%2\r\n");
    EXPECT_EQ("a b.wav -> a b.aac\r\nin=\"C:\\w\\a b.wav\"\r\nout=\"C:\\w\\a b.aac\"\r\n",
              test::RecordOf("conv.bat", "C:\\w\\a b.wav", "C:\\w\\a b.aac"));
    EXPECT_EQ("x&y.wav -> x&y.aac\r\nin=\"x&y.wav\"\r\nout=\"x&y.aac\"\r\n",
              test::RecordOf("conv", "x&y.wav", "x&y.aac"))
        << "found as conv.bat, & stays inside its name";

    // %NAME% would be expanded by the interpreter: the name is not handed over.
    EXPECT_EQ("%USERPROFILE%.wav -> %USERPROFILE%.aac\r\n%USERPROFILE%.wav" +
                  NativeText(": % や \" を含む名前はバッチファイルに渡せません") + "\r\n" +
                  kNotStarted,
              test::RecordOf("conv.bat", "%USERPROFILE%.wav", "%USERPROFILE%.aac"));

    // What the programs a batch file runs print reaches the record too.
    Prints("from the program\n", "");
    test::WriteFile("runs.bat", "@echo off\r\necho batch\r\n\"" + kConverter + "\" %1 %2\r\n");
    EXPECT_EQ("a.wav -> a.aac\r\nbatch\r\nfrom the program\r\n",
              test::RecordOf("runs.bat", "a.wav", "a.aac"));
    EXPECT_EQ((Names{"conv.bat", "runs.bat"}), m_folder.Names());
}

TEST_F(ConverterRunWin32Test, CapturesAreUnnamedTemporaryFilesAndLeaveTheUsersAlone) {
    test::WriteFile("varloGui0.tmp", "keep 0");
    test::WriteFile("varloGuiErr5.tmp", "keep 5");
    const std::string temp = m_folder.Path() + "\\temp";
    ASSERT_TRUE(std::filesystem::create_directory(temp));
    char saved[1024] = {};
    const DWORD savedLength = GetEnvironmentVariableA("TMP", saved, sizeof saved);
    SetEnvironmentVariableA("TMP", temp.c_str());
    Prints("out\n", "err\n");
    const std::string record = test::RecordOf(kConverter, "a", "b");
    EXPECT_EQ(Names{}, test::CTempFolder::NamesIn(temp)) << "closed, the captures are gone";

    // A capture that cannot be made is named by its folder, and nothing runs.
    DeleteFileA(ReportPath().c_str());
    SetEnvironmentVariableA("TMP", (temp + "\\gone").c_str());
    const std::string refused = test::RecordOf(kConverter, "a", "b");
    SetEnvironmentVariableA("TMP", savedLength > 0 ? saved : nullptr);

    EXPECT_EQ("a -> b\r\nerr\r\nout\r\n", record);
    EXPECT_EQ(0u, refused.find("a -> b\r\n" + temp + "\\gone: ")) << refused;
    EXPECT_EQ(refused.size() - kNotStarted.size(), refused.rfind(kNotStarted)) << refused;
    EXPECT_TRUE(Arguments().empty()) << "the converter did not run";
    EXPECT_EQ((Names{"temp", "varloGui0.tmp", "varloGuiErr5.tmp"}), m_folder.Names());
    EXPECT_EQ("keep 0", test::ReadFile("varloGui0.tmp"));
    EXPECT_EQ("keep 5", test::ReadFile("varloGuiErr5.tmp"));
}

TEST(PathFromField, OnePairOfQuotesAroundAPastedPathIsNotPartOfIt) {
    const struct {
        std::string text, path;
    } cases[] = {
        {"\"Z:\\music\\b.wav\"", "Z:\\music\\b.wav"},  // Explorer's "Copy as path"
        {"Z:\\music\\b.wav", "Z:\\music\\b.wav"},
        {"\"\"", ""},
        {"\"", "\""},
        {"\"a\" \"b\"", "\"a\" \"b\""},  // two pairs: not one path in quotes
        {"\"a.wav", "\"a.wav"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.path, PathFromField(c.text)) << c.text;
    }
}

TEST_F(ConverterRunWin32Test, NamesCompareAsFiles) {
    EXPECT_EQ(FileKey("C:\\W\\Song.aac"), FileKey("c:/w//x/../SONG.aac"));
    EXPECT_EQ(FileKey(m_folder.Path() + "\\a.aac"), FileKey(".\\a.aac"));
    EXPECT_NE(FileKey("C:\\w\\a.aac"), FileKey("C:\\w\\a(1).aac"));
}

TEST_F(ConverterRunWin32Test, FoldersPastTheClassicLimitAreSeenWhole) {
    std::string deep = m_folder.Path();
    while (deep.size() < 290) {
        deep += "\\" + std::string(60, 'd');
        ASSERT_TRUE(CreateDirectoryW(WidePath(deep).c_str(), nullptr)) << GetLastError();
    }
    const std::string taken = deep + "\\song.aac";
    const HANDLE file =
        CreateFileW(WidePath(taken).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    EXPECT_EQ(deep + "\\song(1).aac", ProposeOutputPath(deep + "\\song.wav"));
    EXPECT_TRUE(PathExists(taken));
    EXPECT_EQ(NameKind::Other, KindOfName(taken));
    EXPECT_TRUE(RemoveFile(taken)) << "as after a stop";
    EXPECT_EQ(NameKind::None, KindOfName(taken));
}

TEST(WidePath, TakesTheLongFormOnlyPastTheClassicLimit) {
    const std::string name(250, 'a');
    const std::wstring wideName(250, L'a');
    const struct {
        std::string path;
        std::wstring wide;
    } cases[] = {
        {"C:\\w\\song.wav", L"C:\\w\\song.wav"},
        {"C:\\" + name, L"\\\\?\\C:\\" + wideName},
        {"\\\\server\\share\\" + name, L"\\\\?\\UNC\\server\\share\\" + wideName},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.wide, WidePath(c.path)) << c.path;
    }
}

TEST_F(ConverterRunWin32Test, ShiftJisNamesSplitOnlyAtRealSeparators) {
    const std::string name = kHyou + kSo;
    const PathParts parts = SplitPath("C:\\w\\" + name + ".wav");
    EXPECT_EQ("C:", parts.drive);
    EXPECT_EQ("\\w\\", parts.directory);
    EXPECT_EQ(name, parts.baseName);
    EXPECT_EQ(".wav", parts.extension);
    EXPECT_EQ("C:\\w\\" + name + ".aac",
              JoinPath(parts.drive, parts.directory, parts.baseName, "aac"));

    // On disk: the proposal sees the file whose name ends in a trail byte 0x5C.
    test::WriteFile(name + ".aac", "");
    EXPECT_TRUE(PathExists(name + ".aac"));
    EXPECT_EQ(name + "(1).aac", ProposeOutputPath(name + ".wav"));
    Prints("", "");
    EXPECT_EQ(name + ".wav -> " + name + "(1).aac\r\n",
              test::RecordOf(kConverter, name + ".wav", name + "(1).aac"));
}

TEST_F(ConverterRunWin32Test, LongFoldersAreNeverCut) {
    // 305 characters: the proposal goes in the input's own folder, however deep.
    const std::string folder = "C:\\" + std::string(150, 'a') + "\\" + std::string(142, 'b');
    const std::string input = folder + "\\song.wav";
    ASSERT_EQ(305u, input.size());
    EXPECT_EQ(folder + "\\song.aac", ProposeOutputPath(input));
}

TEST_F(ConverterRunWin32Test, PathExistsIsTheAttributeQuery) {
    test::WriteFile("file.wav", "x");
    ASSERT_TRUE(std::filesystem::create_directory("song.aac"));
    EXPECT_TRUE(PathExists("file.wav"));
    EXPECT_TRUE(PathExists("song.aac"));
    EXPECT_TRUE(PathExists(m_folder.Path() + "\\file.wav"));
    EXPECT_FALSE(PathExists("missing.wav"));
    EXPECT_FALSE(PathExists(""));
    EXPECT_FALSE(PathExists(std::string("file.wav\0junk", 13)));
}

// A crash is an exit status such as STATUS_ACCESS_VIOLATION, which the record shows in hex too.
TEST_F(ConverterRunWin32Test, ACrashedConverterSaysSoAtTheEndOfItsRecord) {
    Prints("out\r\n", "");
    SetEnvironmentVariableA("FAKE_EXIT", "-1073741819");
    EXPECT_EQ(
        "a -> b\r\nout\r\n" +
            NativeText("変換プログラムが終了コード 3221225477 (0xC0000005) で終了しました。") +
            "\r\n",
        test::RecordOf(kConverter, "a", "b"));
    EXPECT_EQ(Names{}, m_folder.Names());
}

// A converter that writes its output, starts a process of its own and then runs on: a stop ends
// both and removes what it made.
TEST_F(ConverterRunWin32Test, AStopEndsTheConverterWithWhatItStartedAndMade) {
    SetEnvironmentVariableA("FAKE_WRITE_OUTPUT", "1");
    SetEnvironmentVariableA("FAKE_SLEEP_MS", "60000");
    const std::string pidFile = m_controls.Path() + "\\child";
    SetEnvironmentVariableA("FAKE_CHILD_PID_FILE", pidFile.c_str());
    Prints("said\r\n", "");

    CWaitLoop loop;
    CProcessRunner runner(loop);
    std::optional<std::string> record;
    const std::unique_ptr<IRunningConversion> running = runner.Start(
        kConverter, "in.wav", "made.aac", [&](CStatus status, std::string text, RunOutcome) {
            EXPECT_TRUE(status.Ok()) << status.Message();
            record = std::move(text);
        });
    std::string pid;
    ASSERT_TRUE(WaitUntil([&] {
        try {  // the converter may still hold the file it writes
            pid = PathExists(pidFile) ? test::ReadFile(pidFile) : "";
        } catch (const std::exception&) {
            pid.clear();
        }
        return !pid.empty() && PathExists("made.aac");
    }));
    const HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul(pid)));
    ASSERT_NE(nullptr, child);
    running->Stop();
    ASSERT_TRUE(loop.RunUntil([&] { return record.has_value(); }, std::chrono::seconds(10)));
    EXPECT_EQ("in.wav -> made.aac\r\nsaid\r\n" + NativeText("変換を中止しました。") + "\r\n",
              *record);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 5000)) << "its child went with it";
    CloseHandle(child);
    EXPECT_EQ(Names{}, m_folder.Names()) << "no output it made, no capture";
}

TEST(WaitLoopWin32, WatchesMoreHandlesThanOneWaitTakes) {
    std::vector<HANDLE> events;
    for (int i = 0; i < 150; ++i) {
        events.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    }
    CWaitLoop loop;
    std::vector<int> fired;
    std::vector<std::unique_ptr<IEventLoop::IWatch>> watches;
    for (int i = 0; i < 150; ++i) {
        watches.push_back(loop.WhenReady(reinterpret_cast<NativeHandle>(events[i]),
                                         [&fired, i] { fired.push_back(i); }));
    }
    // One in the last slice, one in the first.
    SetEvent(events[140]);
    EXPECT_TRUE(loop.RunUntil([&] { return fired.size() == 1; }, std::chrono::seconds(5)));
    SetEvent(events[3]);
    EXPECT_TRUE(loop.RunUntil([&] { return fired.size() == 2; }, std::chrono::seconds(5)));
    EXPECT_EQ((std::vector<int>{140, 3}), fired);
    // Nothing else is ready: the loop gives up at its limit.
    EXPECT_FALSE(loop.RunUntil([&] { return fired.size() == 3; }, std::chrono::milliseconds(50)));
    watches.clear();
    for (const HANDLE event : events) {
        CloseHandle(event);
    }
}

}  // namespace
}  // namespace varlo
