#include "engine/convert_controller.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <map>
#include <thread>

#include "common/system_text.h"
#include "fake_runner.h"
#include "fake_view.h"
#include "settings/settings.h"
#include "temp_folder.h"
#include "wait_loop.h"

namespace varlo {
namespace {

using Calls = std::vector<std::string>;
using Strings = std::vector<std::string>;

using test::CFakeView;

class ConvertControllerTest : public ::testing::Test {
protected:
    // Conversions end as they start: the record names the input; an input named in
    // m_unreadable fails as an unreadable capture would.
    ConvertControllerTest() {
        m_runner.answer = [this](const test::CFakeRunner::Started& run, std::string& record) {
            m_runs.push_back(run.converter + "|" + run.input + "|" + run.output);
            if (run.input == m_unreadable) {
                return CStatus::Error(CStatus::Code::ReadFailed, "/w/varloGuiErr0.tmp", 5);
            }
            record = "rec " + run.input + "\r\n";
            return CStatus();
        };
    }

    void StartWith(Strings arguments, int autoExec = 0) {
        WriteAutoExec(m_store, "varloGui", autoExec);
        arguments.insert(arguments.begin(), "/usr/bin/varloGui");
        m_controller.SetArguments(std::move(arguments));
        m_controller.Start();
        m_controller.StartQueue();
        m_view.Take();
    }

    Strings Queue() const { return {m_controller.Queue().begin(), m_controller.Queue().end()}; }
    std::string Field(ConvertField field) { return m_view.fields[field]; }

    test::CTempFolder m_folder;  // the current folder, where output names are proposed
    CProfileStore m_store{m_folder.Path() + "/profile/profile.ini"};
    CFakeView m_view;
    Strings m_runs;
    std::string m_unreadable = "\x01never";
    test::CFakeRunner m_runner;
    CConvertController m_controller{m_view, m_store, m_runner};
};

TEST_F(ConvertControllerTest, StartReadsTheSettingsIntoTheWindow) {
    WriteExecFile(m_store, "varloGui", "ffmpeg -i");
    WriteAutoExec(m_store, "varloGui", 2);
    m_controller.SetArguments({"/usr/bin/varloGui", "a.wav", "b.wav"});
    m_controller.Start();
    EXPECT_EQ((Calls{"SetText(Converter, ffmpeg -i)", "SetAutoState(2)", "SetCaption(varloGui)",
                     "EnableDrop()"}),
              m_view.Take());
    EXPECT_EQ((Strings{"a.wav", "b.wav"}), Queue());
    EXPECT_EQ("varloGui", m_controller.Section());
}

TEST_F(ConvertControllerTest, StartQueueLoadsTheFirstFileWithoutConverting) {
    WriteAutoExec(m_store, "varloGui", 0);
    m_controller.SetArguments({"/usr/bin/varloGui", "a.wav", "b.wav"});
    m_controller.Start();
    m_view.Take();
    m_controller.StartQueue();
    EXPECT_EQ((Calls{"SetText(Input, a.wav)", "GetText(Input)", "SetText(Output, a.aac)",
                     "MoveCaretToEnd(Input)", "MoveCaretToEnd(Output)", "GetAutoState()"}),
              m_view.Take());
    EXPECT_EQ((Strings{"b.wav"}), Queue());
    EXPECT_TRUE(m_runs.empty());

    // Convert converts a.wav and loads b.wav; a second press converts b.wav and clears both.
    m_controller.ConvertClicked();
    EXPECT_EQ((Calls{"SetText(Log, )", "GetText(Input)", "GetText(Output)", "GetText(Converter)",
                     "GetText(Input)", "GetText(Output)", "AppendLog(rec a.wav\r\n)",
                     "SetText(Input, b.wav)", "GetText(Input)", "SetText(Output, b.aac)",
                     "MoveCaretToEnd(Input)", "MoveCaretToEnd(Output)", "GetAutoState()"}),
              m_view.Take());
    m_controller.ConvertClicked();
    EXPECT_EQ((Calls{"SetText(Log, )", "GetText(Input)", "GetText(Output)", "GetText(Converter)",
                     "GetText(Input)", "GetText(Output)", "AppendLog(rec b.wav\r\n)",
                     "SetText(Input, )", "SetText(Output, )"}),
              m_view.Take());
    EXPECT_EQ((Strings{"varlo.exe|a.wav|a.aac", "varlo.exe|b.wav|b.aac"}), m_runs);
    EXPECT_EQ("rec b.wav\r\n", Field(ConvertField::Log));
}

TEST_F(ConvertControllerTest, AutoConvertRunsTheWholeCommandLineAtStart) {
    StartWith({"a.wav", "b.wav"}, /*autoExec=*/1);
    EXPECT_EQ((Strings{"varlo.exe|a.wav|a.aac", "varlo.exe|b.wav|b.aac"}), m_runs);
    EXPECT_EQ("rec a.wav\r\nrec b.wav\r\n", Field(ConvertField::Log));
    EXPECT_EQ("", Field(ConvertField::Input));
    EXPECT_EQ("", Field(ConvertField::Output));
    EXPECT_TRUE(Queue().empty());
}

TEST_F(ConvertControllerTest, SectionIsTheProgramsBaseName) {
    const struct {
        std::optional<Strings> arguments;  // POSIX argv, or nothing for the Windows line
        std::string commandLine;
        std::string section;
        Strings queue;
    } cases[] = {
        {Strings{"/opt/bin/myConv", "say \"hi\".wav", " lead"},
         "",
         "myConv",
         {"say \"hi\".wav", " lead"}},
        {Strings{"./varloGui.bin"}, "", "varloGui", {}},
        {Strings{"/usr/bin/"}, "", "varloGui", {}},
        {Strings{}, "", "varloGui", {}},
        // The Windows line with '/', which both platforms read as a separator.
        {std::nullopt,
         R"("C:/Program Files/v/conv.exe" "C:\w\a b.wav" C:\w\c.wav)",
         "conv",
         {R"(C:\w\a b.wav)", R"(C:\w\c.wav)"}},
        {std::nullopt, "", "varloGui", {}},
    };
    for (const auto& c : cases) {
        CConvertController controller(m_view, m_store, m_runner);
        if (c.arguments) {
            controller.SetArguments(*c.arguments);
        } else {
            controller.SetCommandLine(c.commandLine);
        }
        controller.Start();
        EXPECT_EQ(c.section, controller.Section()) << c.commandLine;
        EXPECT_EQ(c.queue, Strings(controller.Queue().begin(), controller.Queue().end()));
    }
}

TEST_F(ConvertControllerTest, DropOnAnIdleWindowConvertsTheQueueWithAutoConvert) {
    StartWith({}, /*autoExec=*/1);
    m_view.fields[ConvertField::Log] = "old log";
    m_controller.FilesDropped({"1.wav", "2.wav", "3.wav"});
    EXPECT_EQ("rec 1.wav\r\nrec 2.wav\r\nrec 3.wav\r\n", Field(ConvertField::Log));
    EXPECT_EQ(1, std::count(m_view.calls.begin(), m_view.calls.end(), "SetText(Log, )"));
    EXPECT_EQ("", Field(ConvertField::Input));
    EXPECT_EQ("", Field(ConvertField::Output));
}

TEST_F(ConvertControllerTest, FilesHandedOverKeepTheLogOfThoseBefore) {
    StartWith({"a.wav"}, /*autoExec=*/1);
    m_controller.FilesHandedOver({"b.wav"});
    EXPECT_EQ("rec a.wav\r\nrec b.wav\r\n", Field(ConvertField::Log)) << "one log";
}

TEST_F(ConvertControllerTest, DropBehindAWaitingQueueOnlyQueues) {
    StartWith({"a.wav", "b.wav"});
    m_view.fields[ConvertField::Log] = "kept";
    m_controller.FilesDropped({"c.wav", "/folder/"});
    EXPECT_EQ(Calls{}, m_view.Take()) << "the input field and the log stay as they are";
    EXPECT_EQ((Strings{"b.wav", "c.wav", "/folder/"}), Queue());
    m_controller.FilesDropped({});
    EXPECT_EQ(Calls{}, m_view.Take());
}

TEST_F(ConvertControllerTest, DropReplacesALoadedFileWhenNothingWaits) {
    StartWith({"a.wav"});
    m_controller.FilesDropped({"/music/take"});
    EXPECT_EQ("/music/take", Field(ConvertField::Input));
    EXPECT_EQ("/music/take.aac", Field(ConvertField::Output));
    EXPECT_TRUE(m_runs.empty()) << "a.wav is replaced, not converted";
}

TEST_F(ConvertControllerTest, EmptyQueueEntryEndsTheChain) {
    StartWith({}, /*autoExec=*/1);
    m_controller.FilesDropped({"a.wav", "", "c.wav"});
    EXPECT_EQ((Strings{"varlo.exe|a.wav|a.aac"}), m_runs);
    EXPECT_EQ("", Field(ConvertField::Input));
    EXPECT_EQ("a.aac", Field(ConvertField::Output)) << "the last proposal stays";
    EXPECT_EQ((Strings{"c.wav"}), Queue());

    // A press of Convert then runs with the empty input and the old output, and goes on.
    m_controller.ConvertClicked();
    EXPECT_EQ((Strings{"varlo.exe|a.wav|a.aac", "varlo.exe||a.aac", "varlo.exe|c.wav|c.aac"}),
              m_runs);
}

TEST_F(ConvertControllerTest, CheckingAutoConvertActsAtTheNextConversion) {
    StartWith({"a.wav", "b.wav", "c.wav"});
    m_view.autoState = 1;
    EXPECT_TRUE(m_runs.empty());
    m_controller.ConvertClicked();
    EXPECT_EQ(3u, m_runs.size());
    EXPECT_TRUE(Queue().empty());
}

TEST_F(ConvertControllerTest, FileDialogResults) {
    StartWith({"a.wav", "b.wav"});
    m_view.fields[ConvertField::Log] = "kept";

    m_controller.OutputChosen("/x/out.aac");
    EXPECT_EQ((Calls{"SetText(Output, /x/out.aac)", "MoveCaretToEnd(Output)"}), m_view.Take());

    m_controller.InputChosen("/x/in.wav");
    EXPECT_EQ("/x/in.aac", Field(ConvertField::Output));
    EXPECT_EQ("kept", Field(ConvertField::Log));
    EXPECT_EQ((Strings{"b.wav"}), Queue()) << "the queue is not touched";

    // With auto-convert the chosen input converts at once and the queue runs on, appending.
    m_view.autoState = 1;
    m_controller.InputChosen("/x/now.wav");
    EXPECT_EQ((Strings{"varlo.exe|/x/now.wav|/x/now.aac", "varlo.exe|b.wav|b.aac"}), m_runs);
    EXPECT_EQ("keptrec /x/now.wav\r\nrec b.wav\r\n", Field(ConvertField::Log));
}

TEST_F(ConvertControllerTest, AnInputTypedSinceTheLastProposalGetsItsOwnOutput) {
    StartWith({"/w/a.wav"});
    m_view.fields[ConvertField::Input] = "/w/typed.wav";  // edited by hand after loading
    m_controller.ConvertClicked();
    m_view.fields[ConvertField::Input] = "/w/new.wav";  // typed into an empty window
    m_view.fields[ConvertField::Output] = "";
    m_view.autoState = 1;  // the press converts; auto-convert must not convert it twice
    m_controller.ConvertClicked();
    EXPECT_EQ((Strings{"varlo.exe|/w/typed.wav|/w/typed.aac", "varlo.exe|/w/new.wav|/w/new.aac"}),
              m_runs);

    // The loaded input, untouched, keeps an output the user chose for it.
    m_view.autoState = 0;
    m_controller.InputChosen("/w/c.wav");
    m_view.fields[ConvertField::Output] = "/elsewhere/mine.aac";
    m_controller.ConvertClicked();
    EXPECT_EQ("varlo.exe|/w/c.wav|/elsewhere/mine.aac", m_runs.back());
}

TEST_F(ConvertControllerTest, AnOutputTheUserTypedOrChoseIsKept) {
    StartWith({"/w/a.wav"});
    const struct {
        const char* input;
        const char* output;  // what the user leaves in the field before Convert
        const char* converted;
    } presses[] = {
        {"/w/typed.wav", "/mine/typed.aac", "/mine/typed.aac"},  // typed input, typed output
        {"/w/typed.wav", "", "/w/typed.aac"},  // the same input again, the field cleared
    };
    for (const auto& press : presses) {
        m_view.fields[ConvertField::Input] = press.input;
        m_view.fields[ConvertField::Output] = press.output;
        m_controller.ConvertClicked();
        EXPECT_EQ(std::string("varlo.exe|") + press.input + "|" + press.converted, m_runs.back());
    }
}

TEST_F(ConvertControllerTest, AChosenConverterWithABlankStaysOneWord) {
    StartWith({});
    m_controller.ConverterChosen("/opt/my tools/conv");
    EXPECT_EQ("\"/opt/my tools/conv\"", Field(ConvertField::Converter));
    EXPECT_EQ("\"/opt/my tools/conv\"", ReadSettings(m_store, "varloGui").execFile);
    m_controller.ConverterChosen("/usr/bin/ffmpeg");
    EXPECT_EQ("/usr/bin/ffmpeg", Field(ConvertField::Converter)) << "no blank, no quotes";

    // A '"' in the path cannot be written in the converter text: refused, and said so.
    m_controller.ConverterChosen("/tools/my\" \"best/conv");
    EXPECT_EQ("/usr/bin/ffmpeg", Field(ConvertField::Converter));
    EXPECT_EQ("/usr/bin/ffmpeg", ReadSettings(m_store, "varloGui").execFile);
    EXPECT_EQ(
        Strings{"varloGui: /tools/my\" \"best/conv: " +
                NativeText("パスに \" を含むプログラムは変換プログラムとして指定できません。")},
        m_view.errors);
}

TEST_F(ConvertControllerTest, ChosenConverterIsSavedAtOnceAndShutdownSavesChanges) {
    StartWith({});
    m_controller.ConverterChosen("/opt/x");
    EXPECT_EQ((Calls{"SetText(Converter, /opt/x)", "MoveCaretToEnd(Converter)"}), m_view.Take());
    EXPECT_EQ("/opt/x", ReadSettings(m_store, "varloGui").execFile) << "saved before closing";

    // Typing the start-up value back: shutdown sees no change, so /opt/x stays saved.
    m_view.fields[ConvertField::Converter] = "varlo.exe";
    m_view.autoState = 2;
    m_controller.Shutdown();
    EXPECT_EQ("/opt/x", ReadSettings(m_store, "varloGui").execFile);
    EXPECT_EQ(2, ReadSettings(m_store, "varloGui").autoExec) << "whatever the box reports";
}

TEST_F(ConvertControllerTest, ShutdownWritesTheConverterOnlyWhenItChanged) {
    StartWith({});
    m_controller.Shutdown();
    EXPECT_EQ(std::nullopt, m_store.ReadValue("varloGui", "ExecFile"));
    EXPECT_EQ(std::optional<std::string>("0"), m_store.ReadValue("varloGui", "AutoExec"));

    m_controller.Shutdown();  // the window saves once, however it goes away
    EXPECT_EQ(std::optional<std::string>("0"), m_store.ReadValue("varloGui", "AutoExec"));

    CConvertController next(m_view, m_store, m_runner);
    next.SetArguments({"varloGui"});
    next.Start();
    m_view.fields[ConvertField::Converter] = "ffmpeg -nostdin -y -i";
    m_view.autoState = 1;
    next.Shutdown();
    const Settings saved = ReadSettings(m_store, "varloGui");
    EXPECT_EQ("ffmpeg -nostdin -y -i", saved.execFile);
    EXPECT_EQ(1, saved.autoExec);
}

TEST_F(ConvertControllerTest, ReadErrorStopsTheChainAtTheFileThatFailed) {
    StartWith({}, /*autoExec=*/1);
    m_unreadable = "b.wav";
    m_controller.FilesDropped({"a.wav", "b.wav", "c.wav"});
    EXPECT_EQ(Strings{"varloGui: /w/varloGuiErr0.tmp" +
                      NativeText(" へのｱｸｾｽ中に不明なｴﾗｰが発生しました。")},
              m_view.errors);
    EXPECT_EQ("rec a.wav\r\n", Field(ConvertField::Log)) << "no record for b.wav";
    EXPECT_EQ("b.wav", Field(ConvertField::Input));
    EXPECT_EQ((Strings{"c.wav"}), Queue());
}

// Runs `work` on a thread with a small stack: a chain that recursed per file would overflow it.
void OnSmallStack(const std::function<void()>& work) {
    pthread_attr_t attr;
    ASSERT_EQ(0, pthread_attr_init(&attr));
    ASSERT_EQ(0, pthread_attr_setstacksize(&attr, 256 * 1024));
    pthread_t thread;
    auto run = [](void* arg) -> void* {
        (*static_cast<const std::function<void()>*>(arg))();
        return nullptr;
    };
    ASSERT_EQ(0, pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&work)));
    ASSERT_EQ(0, pthread_join(thread, nullptr));
    pthread_attr_destroy(&attr);
}

TEST_F(ConvertControllerTest, TenThousandFileChainRunsInConstantStack) {
    StartWith({}, /*autoExec=*/1);
    m_view.recording = false;
    Strings paths;
    for (int i = 0; i < 10000; ++i) {
        paths.push_back("/none/" + std::to_string(i) + ".wav");
    }
    OnSmallStack([&] { m_controller.FilesDropped(paths); });
    ASSERT_EQ(10000u, m_runs.size());
    EXPECT_EQ("varlo.exe|/none/9999.wav|/none/9999.aac", m_runs.back());
    EXPECT_TRUE(Queue().empty());
    EXPECT_EQ("", Field(ConvertField::Input));
}

// Conversions that end when the test says so, as real ones end from the event loop.
class ConvertControllerChainTest : public ConvertControllerTest {
protected:
    ConvertControllerChainTest() { m_runner.answer = nullptr; }
};

TEST_F(ConvertControllerChainTest, ChainRunsFromTheLoopAndDropsJoinIt) {
    StartWith({}, /*autoExec=*/1);
    m_controller.FilesDropped({"a.wav", "b.wav"});
    ASSERT_EQ(1u, m_runner.started.size()) << "one at a time";
    EXPECT_TRUE(m_view.busy);
    EXPECT_EQ("varloGui - 0/2", m_view.caption);

    m_controller.FilesDropped({"c.wav"});
    EXPECT_EQ((Strings{"b.wav", "c.wav"}), Queue());
    EXPECT_EQ("a.wav", Field(ConvertField::Input)) << "the running file stays in the field";
    EXPECT_EQ("varloGui - 0/3", m_view.caption);
    m_runner.End(0, {}, "rec a\r\n");
    ASSERT_EQ(2u, m_runner.started.size());
    EXPECT_EQ("b.wav", m_runner.started[1].input);
    EXPECT_EQ((std::pair<std::size_t, std::size_t>{1, 3}), m_view.progress);

    // Clearing auto-convert lets b.wav finish; c.wav is then loaded and waits.
    m_view.autoState = 0;
    m_runner.End(1, {}, "rec b\r\n");
    EXPECT_EQ(2u, m_runner.started.size());
    EXPECT_EQ("c.wav", Field(ConvertField::Input));
    EXPECT_EQ("c.aac", Field(ConvertField::Output));
    EXPECT_EQ("rec a\r\nrec b\r\n", Field(ConvertField::Log)) << "the drop never cleared it";
    EXPECT_FALSE(m_view.busy);
    EXPECT_EQ("varloGui", m_view.caption);
    EXPECT_EQ((std::pair<std::size_t, std::size_t>{0, 0}), m_view.progress);
}

TEST_F(ConvertControllerChainTest, TheSecondPressOfADoubleClickDoesNotStop) {
    StartWith({"/w/a.wav"});
    for (const auto doubleClick :
         {std::chrono::milliseconds(3600000), std::chrono::milliseconds(0)}) {
        m_controller.SetDoubleClickTime(doubleClick);
        m_controller.ConvertClicked();
        m_controller.ConvertClicked();
        EXPECT_EQ(doubleClick.count() == 0, m_runner.started.back().stopped);
    }

    // The other way round: the stop has ended everything before the second press of its
    // double click comes, which must not start a new run (clearing the stopped record).
    m_runner.End(0);
    ASSERT_FALSE(m_controller.Busy());
    m_controller.SetDoubleClickTime(std::chrono::milliseconds(3600000));
    m_controller.ConvertClicked();
    EXPECT_EQ(1u, m_runner.started.size());
    m_controller.SetDoubleClickTime(std::chrono::milliseconds(0));
    m_controller.ConvertClicked();
    EXPECT_EQ(2u, m_runner.started.size()) << "a press after the double-click time converts";

    // A batch that a drop started stops at the next press, however recent an older press was
    // (longer ago than the steady clock's epoch, the system's start, would be no test).
    m_controller.SetDoubleClickTime(std::chrono::seconds(10));
    m_runner.End(1);
    m_view.autoState = 1;
    m_controller.FilesDropped({"/w/b.wav"});
    m_controller.ConvertClicked();
    EXPECT_TRUE(m_runner.started.back().stopped);
}

TEST_F(ConvertControllerChainTest, OutputsOfRunningConversionsAreComparedAsFiles) {
    StartWith({}, /*autoExec=*/1);
    m_controller.SetJobs(3);
    m_controller.FilesDropped({"song.wav", "./song.flac", "x/../song.mp3"});
    ASSERT_EQ(3u, m_runner.started.size());
    EXPECT_EQ("song.aac", m_runner.started[0].output);
    EXPECT_EQ("./song(1).aac", m_runner.started[1].output);
    EXPECT_EQ("x/../song(2).aac", m_runner.started[2].output);
}

TEST_F(ConvertControllerChainTest, AStoppedBatchIsToldAsFailedAndFilesDroppedMeanwhileStartAnew) {
    StartWith({}, /*autoExec=*/1);
    m_controller.SetJobs(2);
    m_view.active = false;
    m_controller.FilesDropped({"/w/1.wav", "/w/2.wav", "/w/3.wav"});
    m_runner.End(0, {}, "rec\r\n");
    std::this_thread::sleep_for(CProgress::kNotifyAfter);  // long enough to be told
    m_controller.ConvertClicked();
    m_controller.FilesDropped({"/w/late1.wav", "/w/late2.wav"});
    m_runner.End(1, {}, "stopped\r\n");
    m_runner.End(2, {}, "stopped\r\n");
    EXPECT_EQ("varloGui - 0/2", m_view.caption);
    EXPECT_EQ(Strings{NativeText(TextId::StoppedAfter, {"1", "3"}) + " (failures)"},
              m_view.notifications);
}

TEST_F(ConvertControllerChainTest, ADropBeforeTheCommandLineLoadsNeverStartsASecondChain) {
    // The window was used before the command line could load: a drop on an empty queue began
    // converting, so the late load has nothing to do.
    StartWith({}, /*autoExec=*/1);
    m_controller.FilesDropped({"drop1.wav", "drop2.wav"});
    m_controller.StartQueue();
    EXPECT_EQ(1u, m_runner.started.size()) << "still one at a time";

    // A drop behind waiting command-line files only queues; the late load then starts them.
    CConvertController other(m_view, m_store, m_runner);
    other.SetArguments({"varloGui", "cmd.wav"});
    other.Start();
    other.FilesDropped({"drop3.wav"});
    other.StartQueue();
    ASSERT_EQ(2u, m_runner.started.size());
    EXPECT_EQ("cmd.wav", m_runner.started[1].input);
}

TEST_F(ConvertControllerChainTest, ConvertWhileBusyStopsTheChainAndDropsTheQueue) {
    StartWith({}, /*autoExec=*/1);
    m_controller.FilesDropped({"a.wav", "b.wav", "c.wav"});
    m_controller.ConvertClicked();
    EXPECT_TRUE(m_runner.started[0].stopped);
    EXPECT_TRUE(Queue().empty());
    EXPECT_TRUE(m_view.busy) << "until the converter has ended";
    m_runner.End(0, {}, "rec a stopped\r\n");
    EXPECT_EQ(1u, m_runner.started.size());
    EXPECT_EQ("rec a stopped\r\n", Field(ConvertField::Log));
    EXPECT_EQ("", Field(ConvertField::Input));
    EXPECT_EQ("", Field(ConvertField::Output));
    EXPECT_FALSE(m_view.busy);
}

TEST_F(ConvertControllerChainTest, ClosingWaitsForTheStopThenSavesAndCloses) {
    StartWith({"a.wav", "b.wav"}, /*autoExec=*/1);
    m_view.fields[ConvertField::Converter] = "typed";
    EXPECT_FALSE(m_controller.RequestClose());
    EXPECT_EQ(Strings{"varloGui: " + NativeText("変換中です。中止して終了しますか?")},
              m_view.questions);
    EXPECT_FALSE(m_runner.started[0].stopped) << "answered No: nothing changes";
    EXPECT_FALSE(m_view.closed);
    m_view.answer = true;
    EXPECT_FALSE(m_controller.RequestClose());
    EXPECT_TRUE(m_runner.started[0].stopped);
    EXPECT_FALSE(m_view.closed);
    EXPECT_EQ(std::nullopt, m_store.ReadValue("varloGui", "ExecFile"));
    m_runner.End(0, {}, "stopped\r\n");
    EXPECT_TRUE(m_view.closed);
    EXPECT_EQ("typed", ReadSettings(m_store, "varloGui").execFile);
    EXPECT_EQ(1u, m_runner.started.size());

    // Idle, a close goes ahead at once; the session's end does not wait for anything.
    EXPECT_TRUE(m_controller.RequestClose());
    CConvertController other(m_view, m_store, m_runner);
    other.SetArguments({"varloGui", "c.wav"});
    other.Start();
    other.StartQueue();
    ASSERT_EQ(2u, m_runner.started.size());
    other.EndSession();
    EXPECT_FALSE(m_runner.started[1].finished) << "ended before EndSession returned";
    EXPECT_EQ("stopped\r\nstopped c.wav\r\n", Field(ConvertField::Log));
}

TEST_F(ConvertControllerChainTest, FailuresAreShownAndTheWindowGoesOn) {
    // A log that cannot grow: the record is lost, the program is not.
    class CFullView : public CFakeView {
    public:
        void AppendLog(const std::string&) override { throw std::bad_alloc(); }
    } view;
    CConvertController controller(view, m_store, m_runner);
    controller.SetArguments({"varloGui"});
    controller.Start();
    view.autoState = 1;
    controller.FilesDropped({"a.wav", "b.wav"});
    m_runner.End(0, {}, "rec a\r\n");
    EXPECT_EQ(Strings{"varloGui: " + NativeText("メモリが不足しています。")}, view.errors);
    EXPECT_FALSE(view.busy);
    EXPECT_EQ(1u, m_runner.started.size()) << "the chain stops at the failure";

    // A conversion that fails for want of memory is told the same way.
    controller.ConvertClicked();
    m_runner.End(1, CStatus::Unexpected("メモリが不足しています。"));
    EXPECT_EQ(2u, view.errors.size());

    // And so is a runner that cannot start one at all; the window is not left busy.
    class CBrokenRunner : public IConversionRunner {
        std::unique_ptr<IRunningConversion> Start(const std::string&, const std::string&,
                                                  const std::string&, ConversionFinished) override {
            throw std::bad_alloc();
        }
    } broken;
    CConvertController another(view, m_store, broken);
    another.SetArguments({"varloGui"});
    another.Start();
    another.ConvertClicked();
    EXPECT_EQ(3u, view.errors.size());
    EXPECT_FALSE(another.Busy());
    EXPECT_TRUE(another.RequestClose());
}

TEST_F(ConvertControllerChainTest, SeveralAtOnceShowTheLatestStartedAndClearAtTheEnd) {
    WriteJobs(m_store, "varloGui", 3);
    StartWith({}, /*autoExec=*/1);
    m_controller.FilesDropped({"1.wav", "2.wav", "3.wav", "4.wav"});
    ASSERT_EQ(3u, m_runner.started.size());
    EXPECT_EQ("3.wav", Field(ConvertField::Input)) << "the fields show the latest started";
    for (std::size_t index : {2u, 1u, 0u, 3u}) {
        m_runner.End(index, {}, "rec " + std::to_string(index + 1) + "\r\n");
    }
    EXPECT_EQ("rec 1\r\nrec 2\r\nrec 3\r\nrec 4\r\n", Field(ConvertField::Log));
    EXPECT_EQ("", Field(ConvertField::Input)) << "cleared once all are done";
    EXPECT_FALSE(m_view.busy);
}

TEST_F(ConvertControllerChainTest, SeveralAtOnceStopTogetherAndNeverShareAnOutput) {
    StartWith({}, /*autoExec=*/1);
    m_controller.SetJobs(2);
    EXPECT_EQ(std::optional<std::string>("2"), m_store.ReadValue("varloGui", "Jobs"));
    m_controller.FilesDropped({"/m/song.wav", "/m/song.flac", "/m/other.wav"});
    ASSERT_EQ(2u, m_runner.started.size());
    EXPECT_EQ("/m/song.aac", m_runner.started[0].output);
    EXPECT_EQ("/m/song(1).aac", m_runner.started[1].output) << "the first one's name is reserved";

    m_controller.ConvertClicked();
    EXPECT_TRUE(m_runner.started[0].stopped && m_runner.started[1].stopped);
    m_runner.End(1, {}, "b\r\n");
    m_runner.End(0, {}, "a\r\n");
    EXPECT_EQ("a\r\nb\r\n", Field(ConvertField::Log));
    EXPECT_EQ(2u, m_runner.started.size()) << "other.wav went with the stop";
    EXPECT_FALSE(m_view.busy);
}

TEST(ConvertControllerWithConverter, AutoChainThroughTheRealConverterRun) {
    test::CTempFolder profileFolder(/*makeCurrent=*/false);
    test::CTempFolder folder;
    CProfileStore store(profileFolder.Path() + "/profile.ini");
    WriteExecFile(store, "varloGui", std::string(TEST_CONVERTER_PATH) + " -q");
    WriteAutoExec(store, "varloGui", 1);
    CFakeView view;
    CWaitLoop loop;
    CProcessRunner runner(loop);
    CConvertController controller(view, store, runner);
    controller.SetArguments({"varloGui"});
    controller.Start();
    controller.StartQueue();

    test::WriteFile("b.aac", "taken");
    controller.FilesDropped({folder.Path() + "/a.wav", "b.wav", "/no/such/c.wav"});
    ASSERT_TRUE(loop.RunUntil([&] { return !controller.Busy(); }, std::chrono::seconds(60)));
    EXPECT_EQ("a.wav -> a.aac\r\nb.wav -> b(1).aac\r\nc.wav -> c.aac\r\n",
              view.fields[ConvertField::Log]);
    EXPECT_EQ("", view.fields[ConvertField::Input]);
    EXPECT_EQ(std::set<std::string>{"b.aac"}, folder.Names()) << "no capture may remain";
}

}  // namespace
}  // namespace varlo
