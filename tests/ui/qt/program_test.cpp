// The program as a whole: the real window with a real converter, and the installed executable
// started from its arguments.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <cmath>
#include <thread>

#include "engine/core/path_parts.h"
#include "engine/platform/file_names.h"
#include "process_gone.h"
#include "settings/settings.h"
#include "temp_folder.h"
#include "ui/qt/convert_app.h"
#include "ui/qt/convert_dialog.h"
#include "ui/qt/quit_signals.h"

extern char** environ;

namespace varlo {
namespace {

using namespace std::string_literals;

// A 16-bit mono WAV file holding a short tone.
std::string ToneWav(int milliseconds) {
    const int rate = 44100;
    const int samples = rate * milliseconds / 1000;
    std::string data;
    for (int i = 0; i < samples; ++i) {
        const auto value = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * i / rate));
        data += static_cast<char>(value & 0xFF);
        data += static_cast<char>((value >> 8) & 0xFF);
    }
    const auto le32 = [](uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8),
                           static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    };
    const auto le16 = [](uint16_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
    };
    return "RIFF" + le32(36 + data.size()) + "WAVE" + "fmt " + le32(16) + le16(1) + le16(1) +
           le32(rate) + le32(rate * 2) + le16(2) + le16(16) + "data" + le32(data.size()) + data;
}

class CNoChooser : public IFileChooser {
public:
    std::optional<std::string> Choose(FileDialogKind, const std::string&, QWidget*) override {
        return std::nullopt;
    }
};

TEST(Program, ConvertsAWavFileWithFfmpegThroughTheWindow) {
    test::CTempFolder folder;
    test::WriteFile("tone take.wav", ToneWav(300));
    CProfileStore store(folder.Path() + "/profile.ini");
    WriteExecFile(store, "varloGui", "ffmpeg -nostdin -hide_banner -loglevel warning -y -i");
    WriteAutoExec(store, "varloGui", 1);
    CNoChooser chooser;
    CConvertDialog dialog(store, chooser);
    dialog.SetArguments({"varloGui", folder.Path() + "/tone take.wav"});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !dialog.GetText(ConvertField::Log).empty() && !dialog.Controller().Busy(); },
        60000));

    EXPECT_EQ(0u, dialog.GetText(ConvertField::Log).find("tone take.wav -> tone take.aac\r\n"))
        << dialog.GetText(ConvertField::Log);
    const std::string aac = test::ReadFile("tone take.aac");
    ASSERT_GE(aac.size(), 7u);
    EXPECT_EQ('\xFF', aac[0]);
    EXPECT_EQ(0xF0, static_cast<unsigned char>(aac[1]) & 0xF6) << "ADTS sync word, layer 0";
    EXPECT_EQ((std::set<std::string>{"profile.ini", "profile.ini.lock", "tone take.aac",
                                     "tone take.wav"}),
              folder.Names())
        << "no capture may remain";
}

TEST(Program, QuitSignalsAskTheWindowToClose) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        CQuitSignals quit;
        QSignalSpy asked(&quit, &CQuitSignals::QuitRequested);
        ::raise(signal);
        EXPECT_TRUE(QTest::qWaitFor([&] { return asked.count() == 1; }, 5000)) << signal;
    }
    // Once the window has gone, they end the process as they would have.
    EXPECT_EXIT(::raise(SIGTERM), testing::KilledBySignal(SIGTERM), "");
}

TEST(Program, SpeaksTheFirstLanguageTheDesktopNames) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process reads the environment
    const char* lang = std::getenv("LANG");
    const std::string before = lang != nullptr ? lang : "C.UTF-8";
    const struct {
        const char* language;
        const char* lang;
        Language expected;
    } cases[] = {{"en", "ja_JP.UTF-8", Language::English},
                 {"ja", "en_US.UTF-8", Language::Japanese}};
    for (const auto& c : cases) {
        ::setenv("LANGUAGE", c.language, 1);
        ::setenv("LANG", c.lang, 1);
        EXPECT_EXIT(::_exit(DesktopLanguage() == c.expected ? 0 : 1), testing::ExitedWithCode(0),
                    "")
            << c.language;
    }
    ::unsetenv("LANGUAGE");
    ::setenv("LANG", before.c_str(), 1);
    GTEST_FLAG_SET(death_test_style, "fast");
}

// Waits for the child to end, at most `seconds`; its wait status, or -1.
int WaitFor(pid_t child, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) {
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return -1;
}

TEST(Program, StartsFromItsArgumentsAndSavesWhenTerminated) {
    test::CTempFolder folder;
    // A converter that notes its arguments, one NUL-ended line each.
    test::WriteFile("conv", "#!/bin/sh\nprintf '%s\\0' \"$@\" >> \"$0.seen\"\n");
    ASSERT_EQ(0, ::chmod("conv", 0755));
    ASSERT_EQ(0, ::mkdir("cfg", 0700));
    CProfileStore store(folder.Path() + "/cfg/varloGui/profile.ini");
    WriteExecFile(store, "varloGui", folder.Path() + "/conv");
    WriteAutoExec(store, "varloGui", 1);

    const std::string program = VARLOGUI_PATH;
    std::vector<std::string> args = {program, "-style", "say \"hi\" $(x).wav"};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen",
                                    "XDG_CONFIG_HOME=" + folder.Path() + "/cfg",
                                    "PATH=/usr/bin:/bin", "HOME=" + folder.Path()};
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    pid_t child = -1;
    ASSERT_EQ(0, posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), envp.data()));

    const std::string seen = folder.Path() + "/conv.seen";
    // "-style" stays a file for the converter too: it arrives as "./-style".
    const std::string expected =
        "./-style\0./-style.aac\0say \"hi\" $(x).wav\0say \"hi\" $(x).aac\0"s;
    for (int i = 0; i < 200 && !(PathExists(seen) && test::ReadFile(seen) == expected); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(expected, PathExists(seen) ? test::ReadFile(seen) : "") << "each argument whole";

    ::kill(child, SIGTERM);
    const int status = WaitFor(child, 10);
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(0, WEXITSTATUS(status));
    const std::string saved = test::ReadFile(store.Path());
    EXPECT_EQ("[varloGui]\nExecFile=" + folder.Path() + "/conv\nAutoExec=1\n",
              saved.substr(0, saved.find("Window")))
        << "closed the normal way: AutoExec saved, the unchanged converter not rewritten";
}

TEST(Program, TerminatedDuringAConversionItEndsTheConverterAndSaves) {
    test::CTempFolder folder;
    ASSERT_EQ(0, ::mkdir("cfg", 0700));
    CProfileStore store(folder.Path() + "/cfg/varloGui/profile.ini");
    WriteExecFile(store, "varloGui", FAKE_CONVERTER_PATH);
    WriteAutoExec(store, "varloGui", 1);
    test::WriteFile("stubborn.wav", "");

    // The converter ignores SIGTERM and starts a child that ignores it too.
    const std::string pids = folder.Path() + "/pids";
    std::vector<std::string> args = {VARLOGUI_PATH, folder.Path() + "/stubborn.wav"};
    std::vector<std::string> env = {
        "QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + folder.Path() + "/cfg",
        "PATH=/usr/bin:/bin",        "HOME=" + folder.Path(),
        "FAKE_BY_INPUT=1",           "FAKE_PIDS=" + pids};
    std::vector<char*> argv, envp;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    pid_t child = -1;
    ASSERT_EQ(0, posix_spawn(&child, VARLOGUI_PATH, nullptr, nullptr, argv.data(), envp.data()));
    for (int i = 0; i < 200 && !(PathExists(pids) && PathExists("stubborn.aac")); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ASSERT_TRUE(PathExists(pids)) << "the converter started";
    pid_t converter = 0, grandchild = 0;
    ASSERT_EQ(2, std::sscanf(test::ReadFile(pids).c_str(), "%d %d", &converter, &grandchild));

    const auto asked = std::chrono::steady_clock::now();
    ::kill(child, SIGTERM);
    const int status = WaitFor(child, 10);
    const auto took = std::chrono::steady_clock::now() - asked;
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_LT(took, std::chrono::seconds(3));
    EXPECT_TRUE(test::GoneSoon(converter));
    EXPECT_TRUE(test::GoneSoon(grandchild));
    EXPECT_EQ(1, ReadSettings(store, "varloGui").autoExec) << "the settings were saved";
    EXPECT_EQ((std::set<std::string>{"cfg", "pids", "stubborn.wav"}), folder.Names())
        << "no capture, and no half-written output";
}

}  // namespace
}  // namespace varlo
