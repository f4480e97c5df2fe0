#include "engine/convert_controller.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <map>

#include "engine/converter_run.h"
#include "settings/settings.h"
#include "temp_folder.h"

namespace varlo {
namespace {

using Calls = std::vector<std::string>;
using Strings = std::vector<std::string>;

const char* Name(ConvertField field) {
    switch (field) {
        case ConvertField::Input:
            return "Input";
        case ConvertField::Output:
            return "Output";
        case ConvertField::Converter:
            return "Converter";
        case ConvertField::Log:
            return "Log";
    }
    return "?";
}

// A window that holds the fields' texts and records every call made to it, in order.
class CFakeView : public IConvertView {
public:
    std::string GetText(ConvertField field) override {
        Record(std::string("GetText(") + Name(field) + ")");
        return fields[field];
    }
    void SetText(ConvertField field, const std::string& text) override {
        Record(std::string("SetText(") + Name(field) + ", " + text + ")");
        fields[field] = text;
    }
    void MoveCaretToEnd(ConvertField field) override {
        Record(std::string("MoveCaretToEnd(") + Name(field) + ")");
    }
    void AppendLog(const std::string& text) override {
        Record("AppendLog(" + text + ")");
        fields[ConvertField::Log] += text;
    }
    int GetAutoState() override {
        Record("GetAutoState()");
        return autoState;
    }
    void SetAutoState(int value) override {
        Record("SetAutoState(" + std::to_string(value) + ")");
        autoState = value;
    }
    void SetCaption(const std::string& text) override { Record("SetCaption(" + text + ")"); }
    void EnableDrop() override { Record("EnableDrop()"); }

    // The calls since the last look.
    Calls Take() { return std::exchange(calls, {}); }

    std::map<ConvertField, std::string> fields;
    int autoState = 0;
    Calls calls;
    bool recording = true;

private:
    void Record(std::string call) {
        if (recording) {
            calls.push_back(std::move(call));
        }
    }
};

class ConvertControllerTest : public ::testing::Test {
protected:
    // A runner that converts nothing: its record names the input; an input named in
    // m_unreadable fails as an unreadable capture would.
    ConverterRunner FakeRunner() {
        return [this](const std::string& converter, const std::string& input,
                      const std::string& output) {
            m_runs.push_back(converter + "|" + input + "|" + output);
            if (input == m_unreadable) {
                throw CCaptureReadError("/w/varloGuiErr0.tmp", 5);
            }
            return "rec " + input + "\r\n";
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
    CConvertController m_controller{m_view, m_store, FakeRunner()};
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
    EXPECT_EQ((Calls{"SetText(Log, )", "GetText(Converter)", "GetText(Input)", "GetText(Output)",
                     "AppendLog(rec a.wav\r\n)", "SetText(Input, b.wav)", "GetText(Input)",
                     "SetText(Output, b.aac)", "MoveCaretToEnd(Input)", "MoveCaretToEnd(Output)",
                     "GetAutoState()"}),
              m_view.Take());
    m_controller.ConvertClicked();
    EXPECT_EQ((Calls{"SetText(Log, )", "GetText(Converter)", "GetText(Input)", "GetText(Output)",
                     "AppendLog(rec b.wav\r\n)", "SetText(Input, )", "SetText(Output, )"}),
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
        CConvertController controller(m_view, m_store, FakeRunner());
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

    m_view.fields[ConvertField::Converter] = "ffmpeg -nostdin -y -i";
    m_view.autoState = 1;
    m_controller.Shutdown();
    const Settings saved = ReadSettings(m_store, "varloGui");
    EXPECT_EQ("ffmpeg -nostdin -y -i", saved.execFile);
    EXPECT_EQ(1, saved.autoExec);
}

TEST_F(ConvertControllerTest, ReadErrorStopsTheChainAtTheFileThatFailed) {
    StartWith({}, /*autoExec=*/1);
    m_unreadable = "b.wav";
    EXPECT_THROW(m_controller.FilesDropped({"a.wav", "b.wav", "c.wav"}), CCaptureReadError);
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

TEST(ConvertControllerWithConverter, AutoChainThroughTheRealConverterRun) {
    test::CTempFolder profileFolder(/*makeCurrent=*/false);
    test::CTempFolder folder;
    CProfileStore store(profileFolder.Path() + "/profile.ini");
    WriteExecFile(store, "varloGui", std::string(TEST_CONVERTER_PATH) + " -q");
    WriteAutoExec(store, "varloGui", 1);
    CFakeView view;
    CConvertController controller(view, store);
    controller.SetArguments({"varloGui"});
    controller.Start();
    controller.StartQueue();

    test::WriteFile("b.aac", "taken");
    controller.FilesDropped({folder.Path() + "/a.wav", "b.wav", "/no/such/c.wav"});
    EXPECT_EQ("a.wav -> a.aac\r\nb.wav -> b(1).aac\r\nc.wav -> c.aac\r\n",
              view.fields[ConvertField::Log]);
    EXPECT_EQ("", view.fields[ConvertField::Input]);
    EXPECT_EQ(std::set<std::string>{"b.aac"}, folder.Names()) << "no capture may remain";
}

}  // namespace
}  // namespace varlo
