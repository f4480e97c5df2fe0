// File names that a shell would read as commands, and names that are not text at all, given to
// the program as arguments and dropped on its window: each reaches the converter byte for byte,
// as one argument, and nothing else ever runs.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QTest>

#include <chrono>
#include <thread>

#include "drop.h"
#include "engine/core/path_parts.h"
#include "engine/platform/file_names.h"
#include "settings/settings.h"
#include "temp_folder.h"
#include "ui/qt/convert_dialog.h"

namespace varlo {
namespace {

using Strings = std::vector<std::string>;

// Each name stands in a folder of the test as an absolute path.
Strings HostileNames() {
    Strings names;
    // Every printable ASCII punctuation character, inside a name.
    for (char c : std::string("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~")) {
        names.push_back(std::string("p") + c + "q.wav");
    }
    const Strings more = {
        "$(touch pwned).wav",
        "`touch pwned`.wav",
        "a;touch pwned;b.wav",
        "a|touch pwned.wav",
        "a&&touch pwned&.wav",
        "a>pwned.wav",
        "a<pwned.wav",
        "'; touch pwned; '.wav",
        "\"; touch pwned; \".wav",
        "%PATH%.wav",
        "$HOME ${HOME}.wav",
        "new\nline.wav",
        "tab\there.wav",
        "cr\rhere.wav",
        "\x1b[31mescape.wav",
        "-rf.wav",
        "--version",
        "-",
        " leading blank.wav",
        "trailing blank .wav",
        "*?[a-z].wav",
        "~root.wav",
        "back\\slash\\\"quote.wav",
        "bad\xff\xfeutf8.wav",
        "\xc0\xaf overlong.wav",
        "日本語の歌.wav",
        "ﾊﾝｶｸｶﾀｶﾅ.wav",
        "表ソ能.wav",
        std::string(251, 'L') + ".wav",  // 255 bytes, the longest name a folder can hold
    };
    names.insert(names.end(), more.begin(), more.end());
    return names;
}

// The runs the fake converter noted: for each, its arguments after the program.
std::vector<Strings> Runs(const std::string& notes) {
    std::vector<Strings> runs;
    if (!PathExists(notes)) {
        return runs;
    }
    const std::string bytes = test::ReadFile(notes);
    std::size_t pos = 0;
    const auto field = [&] {
        const std::size_t end = bytes.find('\0', pos);
        std::string f = bytes.substr(pos, end - pos);
        pos = end + 1;
        return f;
    };
    while (pos < bytes.size()) {
        Strings args(static_cast<std::size_t>(std::stoi(field())));
        for (std::string& arg : args) {
            arg = field();
        }
        runs.push_back(args);
    }
    return runs;
}

class HostileNamesTest : public ::testing::Test {
protected:
    HostileNamesTest() {
        ::setenv("FAKE_APPEND_ARGS", Notes().c_str(), 1);
        WriteExecFile(m_store, "varloGui", FAKE_CONVERTER_PATH);
        WriteAutoExec(m_store, "varloGui", 1);
        for (const std::string& name : HostileNames()) {
            m_paths.push_back(m_folder.Path() + "/" + name);
        }
    }
    ~HostileNamesTest() override { ::unsetenv("FAKE_APPEND_ARGS"); }

    std::string Notes() const { return m_controls.Path() + "/notes"; }

    // One run per name, in order, with exactly the input and its proposed output, and not one
    // command run by a shell.
    void ExpectEveryNameReachedTheConverter() {
        const std::vector<Strings> runs = Runs(Notes());
        ASSERT_EQ(m_paths.size(), runs.size());
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const PathParts parts = SplitPath(m_paths[i]);
            EXPECT_EQ(
                (Strings{m_paths[i], parts.drive + parts.directory + parts.baseName + ".aac"}),
                runs[i]);
        }
        EXPECT_FALSE(PathExists(m_folder.Path() + "/pwned"));
        EXPECT_FALSE(PathExists("pwned"));
        EXPECT_FALSE(PathExists(m_controls.Path() + "/pwned"));
    }

    test::CTempFolder m_folder;                           // the current folder
    test::CTempFolder m_controls{/*makeCurrent=*/false};  // the profile and the converter's notes
    CProfileStore m_store{m_controls.Path() + "/cfg/varloGui/profile.ini"};
    Strings m_paths;
};

TEST_F(HostileNamesTest, DroppedNamesReachTheConverterByteForByte) {
    ASSERT_GE(m_paths.size(), 40u);
    QByteArray uriList;
    for (const std::string& path : m_paths) {
        uriList += "file://" + QByteArray::fromStdString(path).toPercentEncoding("/") + "\r\n";
    }
    class CNoChooser : public IFileChooser {
        std::optional<std::string> Choose(FileDialogKind, const std::string&, QWidget*) override {
            return {};
        }
    } chooser;
    CConvertDialog dialog(m_store, chooser);
    dialog.SetArguments({"varloGui"});
    dialog.show();

    ASSERT_TRUE(test::DropUriList(dialog, uriList, dialog.rect().center()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Controller().Busy(); }, 60000));

    ExpectEveryNameReachedTheConverter();
    EXPECT_EQ(std::set<std::string>{}, m_folder.Names()) << "no capture may remain";
}

TEST_F(HostileNamesTest, ProgramArgumentsReachTheConverterByteForByte) {
    Strings args = {VARLOGUI_PATH};
    args.insert(args.end(), m_paths.begin(), m_paths.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    Strings env = {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + m_controls.Path() + "/cfg",
                   "XDG_RUNTIME_DIR=" + m_controls.Path(), "FAKE_APPEND_ARGS=" + Notes(),
                   "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    pid_t child = -1;
    ASSERT_EQ(0, posix_spawn(&child, VARLOGUI_PATH, nullptr, nullptr, argv.data(), envp.data()));

    // With auto-convert on, every argument converts once the window shows: watched until the
    // last one has reached the converter, or the program has ended, with a bound only a hung
    // program reaches, however loaded the machine.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    int status = 0;
    pid_t ended = 0;
    while (Runs(Notes()).size() < m_paths.size() && ended == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        ended = ::waitpid(child, &status, WNOHANG);
    }
    ASSERT_EQ(0, ended) << "the program ended before converting every name";
    ::kill(child, SIGTERM);
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    ExpectEveryNameReachedTheConverter();
    EXPECT_EQ(std::set<std::string>{}, m_folder.Names()) << "no capture may remain";
}

}  // namespace
}  // namespace varlo
