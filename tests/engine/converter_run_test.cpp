#include "engine/converter_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "engine/core/path_parts.h"
#include "engine/platform/capture_file.h"
#include "engine/platform/file_names.h"
#include "engine/process_runner.h"
#include "language.h"
#include "run_record.h"
#include "temp_folder.h"
#include "wait_loop.h"

namespace varlo {
namespace {

using namespace std::string_literals;
using Names = std::set<std::string>;

const std::string kFake = FAKE_CONVERTER_PATH;
const std::string kNotStarted = "変換プログラムを起動できませんでした。\r\n";

// What the fake converter saw when it ran.
struct Seen {
    std::string cwd, stdinTarget, stdoutTarget, stderrTarget;
    std::vector<std::string> argv;
};

// Each test runs in a fresh current folder; the fake converter's controls and report live in a
// second folder so that the current one holds nothing but what the run leaves. The captures go to
// a third, the user's private temporary folder.
class ConverterRunTest : public ::testing::Test {
protected:
    ConverterRunTest() : m_controls(/*makeCurrent=*/false), m_private(/*makeCurrent=*/false) {
        ::setenv("FAKE_REPORT", ReportPath().c_str(), 1);
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        m_savedRuntime = runtime ? runtime : "";
        ::setenv("XDG_RUNTIME_DIR", m_private.Path().c_str(), 1);
    }

    ~ConverterRunTest() override {
        m_savedRuntime.empty() ? ::unsetenv("XDG_RUNTIME_DIR")
                               : ::setenv("XDG_RUNTIME_DIR", m_savedRuntime.c_str(), 1);
        for (const char* name : {"FAKE_REPORT", "FAKE_STDOUT_FILE", "FAKE_STDOUT_REPEAT",
                                 "FAKE_STDERR_FILE", "FAKE_SIGNAL", "FAKE_EXIT"}) {
            ::unsetenv(name);
        }
    }

    std::string ReportPath() const { return m_controls.Path() + "/report"; }

    void Prints(const std::string& out, const std::string& err = "") {
        test::WriteFile(m_controls.Path() + "/out", out);
        test::WriteFile(m_controls.Path() + "/err", err);
        ::setenv("FAKE_STDOUT_FILE", (m_controls.Path() + "/out").c_str(), 1);
        ::setenv("FAKE_STDERR_FILE", (m_controls.Path() + "/err").c_str(), 1);
    }

    bool Ran() const { return PathExists(ReportPath()); }

    Seen Report() const {
        std::string bytes = test::ReadFile(ReportPath());
        std::vector<std::string> fields;
        for (std::size_t start = 0, end; (end = bytes.find('\0', start)) != std::string::npos;
             start = end + 1) {
            fields.push_back(bytes.substr(start, end - start));
        }
        if (fields.size() < 4) {
            ADD_FAILURE() << "short report";
            return {};
        }
        return {fields[0], fields[1], fields[2], fields[3], {fields.begin() + 4, fields.end()}};
    }

    std::string Here(const std::string& name) const { return m_folder.Path() + "/" + name; }

    // What the converter's standard output or error was: a file in the private folder, without
    // a name.
    bool UnnamedPrivateFile(const std::string& target) const {
        return target.starts_with(m_private.Path() + "/") && target.ends_with(" (deleted)");
    }

    test::CTempFolder m_folder;
    test::CTempFolder m_controls;
    test::CTempFolder m_private;
    std::string m_savedRuntime;
};

TEST_F(ConverterRunTest, RecordHoldsHeaderThenErrorLinesThenOutputLines) {
    Prints("A\nB", "E\n");
    const std::string input = Here("song.wav");
    const std::string output = Here("song.aac");
    // Our own standard input is a file, whatever the suite was started with: the converter must
    // not get it.
    const int savedInput = ::dup(STDIN_FILENO);
    ::dup2(::open(ReportPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600), STDIN_FILENO);

    EXPECT_EQ("song.wav -> song.aac\r\nE\r\nA\r\nB\r\n", test::RecordOf(kFake, input, output));
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);

    Seen seen = Report();
    EXPECT_EQ((std::vector<std::string>{kFake, input, output}), seen.argv);
    EXPECT_EQ(m_folder.Path(), seen.cwd);
    EXPECT_EQ("/dev/null", seen.stdinTarget);
    EXPECT_TRUE(UnnamedPrivateFile(seen.stdoutTarget)) << seen.stdoutTarget;
    EXPECT_TRUE(UnnamedPrivateFile(seen.stderrTarget)) << seen.stderrTarget;
    EXPECT_EQ(Names{}, m_folder.Names()) << "no capture may stay behind";
    EXPECT_EQ(Names{}, m_private.Names());
}

TEST_F(ConverterRunTest, ConverterRunsAloneWithDefaultSignalsAndItsEndIsKnown) {
    // The program as a terminal or a careless parent may have started it.
    struct sigaction ignore = {}, pipeBefore, childBefore;
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &pipeBefore);
    ::sigaction(SIGCHLD, &ignore, &childBefore);
    sigset_t blocked, maskBefore;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    ::sigprocmask(SIG_BLOCK, &blocked, &maskBefore);
    ::setenv("FAKE_BY_INPUT", "1", 1);
    const std::string session = test::RecordOf(kFake, "session.wav", "s.aac");
    const std::string failed = test::RecordOf(kFake, "exit-1.wav", "e.aac");
    ::unsetenv("FAKE_BY_INPUT");
    ::sigprocmask(SIG_SETMASK, &maskBefore, nullptr);
    ::sigaction(SIGPIPE, &pipeBefore, nullptr);
    ::sigaction(SIGCHLD, &childBefore, nullptr);

    EXPECT_EQ("session.wav -> s.aac\r\nleader\r\nno tty\r\ndefaults\r\n", session);
    EXPECT_EQ("exit-1.wav -> e.aac\r\nexiting\r\n変換プログラムが終了コード 1 で終了しました。\r\n",
              failed)
        << "with SIGCHLD ignored, a failure must not read as success";
}

TEST_F(ConverterRunTest, CaptureLinesFollowTextModeRules) {
    Prints("one\r\ntwo\rstill two\n\nnul\0inside\nlast\x1Aignored\n"s, "\xff\xfe bytes\r\n");
    EXPECT_EQ("a -> b\r\n\xff\xfe bytes\r\none\r\ntwo\rstill two\r\n\r\nnul\0inside\r\nlast\r\n"s,
              test::RecordOf(kFake, "a", "b"));
}

TEST_F(ConverterRunTest, HeaderNamesFilesWithoutFolders) {
    EXPECT_EQ("take1 -> take1.aac\r\n", test::RecordOf(kFake, "/wav/take1", "/wav/take1.aac"));
    EXPECT_EQ("a.b.wav -> x.aac\r\n", test::RecordOf(kFake, "/w/a.b.wav", "x.aac"));
    EXPECT_EQ(" -> \r\n", test::RecordOf(kFake, "", ""));
    EXPECT_EQ((std::vector<std::string>{kFake, "", ""}), Report().argv)
        << "empty paths are passed on as empty arguments";
}

TEST_F(ConverterRunTest, CapturesLeaveTheUsersFoldersAlone) {
    // Files of the names that captures once had are the user's, and so is a folder nobody may
    // write, or one that has gone: a conversion runs from each all the same.
    test::WriteFile("varloGui0.tmp", "keep 0");
    test::WriteFile("varloGuiErr5.tmp", "keep 5");
    {
        CWaitLoop loop;
        CProcessRunner start(loop);  // what the program does as it starts
    }
    Prints("out\n", "err\n");
    EXPECT_EQ("a -> b\r\nerr\r\nout\r\n", test::RecordOf(kFake, "a", "b"));
    EXPECT_EQ((Names{"varloGui0.tmp", "varloGuiErr5.tmp"}), m_folder.Names());
    EXPECT_EQ("keep 0", test::ReadFile("varloGui0.tmp"));
    EXPECT_EQ("keep 5", test::ReadFile("varloGuiErr5.tmp"));

    ASSERT_EQ(0, ::chmod(".", 0555));
    // Permissions do not bind root, so the run happens in a child as an ordinary user.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        ::chmod(m_private.Path().c_str(), 0777);  // the private folder stays the user's own
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(2);
        }
        ::unsetenv("FAKE_REPORT");
        ::_exit(test::RecordOf(kFake, "a", "b") == "a -> b\r\nerr\r\nout\r\n" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status)) << "1: wrong record, 2: could not drop root";
    ASSERT_EQ(0, ::chmod(".", 0755));

    ASSERT_EQ(0, ::unlink("varloGui0.tmp"));
    ASSERT_EQ(0, ::unlink("varloGuiErr5.tmp"));
    ASSERT_EQ(0, ::rmdir(m_folder.Path().c_str()));
    EXPECT_EQ("a -> b\r\nerr\r\nout\r\n", test::RecordOf(kFake, "a", "b"));
    EXPECT_EQ(Names{}, m_private.Names());
}

TEST_F(ConverterRunTest, CapturesGoToThePrivateFolderOrSayWhyNot) {
    const std::string tmp = m_controls.Path();
    const struct {
        const char* runtime;  // nullptr: not set
        const char* tmpdir;
        std::string folder;
    } cases[] = {
        {nullptr, tmp.c_str(), tmp},
        {"", tmp.c_str(), tmp},
        {"relative", nullptr, "/tmp"},
        {nullptr, "relative", "/tmp"},
    };
    const char* savedTmp = std::getenv("TMPDIR");
    const std::string saved = savedTmp ? savedTmp : "";
    for (const auto& c : cases) {
        c.runtime ? ::setenv("XDG_RUNTIME_DIR", c.runtime, 1) : ::unsetenv("XDG_RUNTIME_DIR");
        c.tmpdir ? ::setenv("TMPDIR", c.tmpdir, 1) : ::unsetenv("TMPDIR");
        CCaptureFile capture;
        EXPECT_TRUE(capture.Create().Ok()) << c.folder;
        EXPECT_EQ(c.folder, capture.Folder());
        if (c.folder == tmp) {
            EXPECT_EQ(Names{}, m_controls.Names()) << "a capture has no name";
        }
    }
    savedTmp ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");

    // A capture that cannot be made is named by its folder, and the converter does not run.
    const std::string missing = m_private.Path() + "/gone";
    ::setenv("XDG_RUNTIME_DIR", missing.c_str(), 1);
    EXPECT_EQ("a -> b\r\n" + missing + ": No such file or directory\r\n" + kNotStarted,
              test::RecordOf(kFake, "a", "b"));
    EXPECT_FALSE(Ran());
    EXPECT_EQ(Names{}, m_folder.Names());
}

TEST_F(ConverterRunTest, NoCaptureStaysBehindWhateverTheConverterDoes) {
    const struct {
        const char* variable;
        const char* value;
    } behaviours[] = {{"FAKE_EXIT", "3"},
                      {"FAKE_SIGNAL", "11"},
                      {"FAKE_SIGNAL", "9"},
                      {"FAKE_STDOUT_REPEAT", "20000"}};
    Prints(std::string(99, 'x') + "\n", "err\n");
    for (const auto& b : behaviours) {
        SCOPED_TRACE(std::string(b.variable) + "=" + b.value);
        ::setenv(b.variable, b.value, 1);
        const std::string record = test::RecordOf(kFake, "a", "b");
        ::unsetenv(b.variable);
        EXPECT_EQ(0u, record.find("a -> b\r\nerr\r\n" + std::string(99, 'x') + "\r\n"));
        EXPECT_EQ(Names{}, m_folder.Names());
        EXPECT_EQ(Names{}, m_private.Names());
    }
}

// Printed lines of 1,000 bytes (1,001 in the record), numbered from `first` to before `last`.
std::string NumberedLines(int first, int last, const char* end) {
    std::string lines;
    for (int n = first; n < last; ++n) {
        lines += std::to_string(1000000 + n) + std::string(992, 'x') + end;
    }
    return lines;
}

TEST_F(ConverterRunTest, LongOutputKeepsItsFirstAndLastFourMebibytesCutAtLineEnds) {
    test::CRestoreLanguage restore;
    // "E" CR LF, then lines 0 to 20970: 20,991,974 bytes in the record. The first part ends with
    // line 4189, the last 4 MiB begin inside line 16780, so the next one starts them.
    Prints(NumberedLines(0, 20971, "\n"), "E\n");
    const std::string first = "a -> b\r\nE\r\n" + NumberedLines(0, 4190, "\r\n");
    const std::string last = NumberedLines(16781, 20971, "\r\n");
    SetLanguage(Language::English);
    EXPECT_EQ(first + "... 12.6 MB of converter output not shown ...\r\n" + last,
              test::RecordOf(kFake, "a", "b"));
    SetLanguage(Language::Japanese);
    EXPECT_EQ(first + "… 変換プログラムの出力のうち 12.6 MB を表示していません …\r\n" + last,
              test::RecordOf(kFake, "a", "b"));
    EXPECT_EQ(Names{}, m_folder.Names());
}

TEST_F(ConverterRunTest, OutputOfEightMebibytesIsKeptWhole) {
    // "E" CR LF, 8,380 lines, and a last one that makes exactly 8 MiB, or one byte more.
    for (const std::size_t lastLine : {std::size_t{223}, std::size_t{224}}) {
        Prints(NumberedLines(0, 8380, "\n") + std::string(lastLine, 'y') + "\n", "E\n");
        const std::string record = test::RecordOf(kFake, "a", "b");
        const bool whole = record == "a -> b\r\nE\r\n" + NumberedLines(0, 8380, "\r\n") +
                                         std::string(lastLine, 'y') + "\r\n";
        EXPECT_EQ(lastLine == 223, whole) << "printed " << record.size() - 8 << " bytes";
    }
}

TEST_F(ConverterRunTest, MissingConverterIsReportedUnderTheHeader) {
    ASSERT_EQ(0, ::mkdir("folder", 0755));
    const struct {
        std::string converter;
        std::string line;
    } cases[] = {
        {"varlo-no-such-converter", "varlo-no-such-converter: No such file or directory"},
        {"./missing -x", "./missing: No such file or directory"},
        {"./folder", "./folder: Permission denied"},
        {"", "\"\": No such file or directory"},
        {"   ", "\"\": No such file or directory"},
        {"\"\" a", "\"\": No such file or directory"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ("a.wav -> a.aac\r\n" + c.line + "\r\n" + kNotStarted,
                  test::RecordOf(c.converter, "a.wav", "a.aac"))
            << "converter: [" << c.converter << "]";
        EXPECT_EQ(Names{"folder"}, m_folder.Names());
    }
}

TEST_F(ConverterRunTest, ConverterTextCarriesLeadingArguments) {
    test::RecordOf(kFake + " -nostdin  -y\t-i", "in.wav", "out.aac");
    EXPECT_EQ((std::vector<std::string>{kFake, "-nostdin", "-y", "-i", "in.wav", "out.aac"}),
              Report().argv);

    // A program path with blanks is quoted; quotes group words and are removed.
    ASSERT_TRUE(std::filesystem::create_directory(m_controls.Path() + "/my conv"));
    const std::string program = m_controls.Path() + "/my conv/fake conv";
    ASSERT_EQ(0, ::symlink(kFake.c_str(), program.c_str()));
    test::RecordOf("\"" + program + "\" -q \"two words\" \"\"", "in.wav", "out.aac");
    EXPECT_EQ((std::vector<std::string>{program, "-q", "two words", "", "in.wav", "out.aac"}),
              Report().argv);
}

TEST_F(ConverterRunTest, BareProgramNameIsLookedUpAlongPathOnly) {
    const std::string bin = m_controls.Path() + "/bin";
    ASSERT_TRUE(std::filesystem::create_directory(bin));
    ASSERT_EQ(0, ::symlink(kFake.c_str(), (bin + "/fakeconv").c_str()));
    ASSERT_EQ(0, ::symlink(kFake.c_str(), "localconv"));
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", ("/nonexistent:" + bin).c_str(), 1);

    const std::string found = test::RecordOf("fakeconv", "a", "b");
    const bool ranFromPath = Ran();
    const std::string notFound = test::RecordOf("localconv", "a", "b");
    ::setenv("PATH", savedPath.c_str(), 1);

    EXPECT_EQ("a -> b\r\n", found);
    EXPECT_TRUE(ranFromPath);
    EXPECT_EQ("a -> b\r\nlocalconv: No such file or directory\r\n" + kNotStarted, notFound)
        << "the current folder is not searched unless PATH names it";
}

TEST_F(ConverterRunTest, HostileNamesReachTheConverterByteForByte) {
    const std::string names[] = {
        "$(touch pwned).wav",
        "`touch pwned`.wav",
        "a;touch pwned;.wav",
        "a|touch pwned.wav",
        "a&&touch pwned.wav",
        "a > pwned.wav",
        "\"quoted\" name.wav",
        "it's.wav",
        "new\nline.wav",
        "tab\there.wav",
        "-rf.wav",
        "--help",
        "\xff\xfe bad.wav",
        "%HOME%.wav",
        "$HOME.wav",
        "*.wav",
        "~/x.wav",
        "back\\slash.wav",
        "日本語.wav",
        "ﾊﾝｶｸ.wav",
        "a\"; touch pwned; echo \".wav",
        "",
    };
    for (const std::string& name : names) {
        const std::string output = name + ".aac";
        test::RecordOf(kFake, name, output);
        std::vector<std::string> argv = Report().argv;
        ASSERT_EQ(3u, argv.size()) << name;
        // A leading '-' is shielded from option parsing; every other byte arrives as it is.
        const std::string shield = name.starts_with('-') ? "./" : "";
        EXPECT_EQ(shield + name, argv[1]);
        EXPECT_EQ(shield + output, argv[2]);
    }
    EXPECT_EQ(Names{}, m_folder.Names()) << "nothing but the converter may have run";
    EXPECT_FALSE(PathExists(m_controls.Path() + "/pwned"));
}

TEST_F(ConverterRunTest, NameWithALeadingDashIsNeverTakenForAnOption) {
    EXPECT_EQ("-leading.wav -> -leading.aac\r\n",
              test::RecordOf(kFake, "-leading.wav", "-leading.aac"))
        << "the header keeps the names as given";
    EXPECT_EQ((std::vector<std::string>{kFake, "./-leading.wav", "./-leading.aac"}), Report().argv);

    // A full path cannot look like an option and stays as it is.
    test::RecordOf(kFake, "/a/-b.wav", "/a/-b.aac");
    EXPECT_EQ((std::vector<std::string>{kFake, "/a/-b.wav", "/a/-b.aac"}), Report().argv);
}

TEST_F(ConverterRunTest, NulByteInAPathIsRefusedNotCut) {
    EXPECT_EQ("a\0b.wav -> b.aac\r\n"s + kFake + ": Invalid argument\r\n" + kNotStarted,
              test::RecordOf(kFake, "a\0b.wav"s, "b.aac"));
    EXPECT_FALSE(Ran()) << "the converter must not see a shortened name";
    EXPECT_EQ(Names{}, m_folder.Names());
}

// Stands in for a converter run whose capture turns unreadable: the capture's descriptor is
// replaced by one of a folder, which cannot be read.
ConverterStarter BreakCapture(bool errorCapture) {
    return [errorCapture](const std::string&, const std::string&, const std::string&,
                          CaptureHandles captures, CConverterProcess&) {
        int folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        [[maybe_unused]] ssize_t written = ::write(static_cast<int>(captures.output), "lost\n", 5);
        ::dup2(folder, static_cast<int>(errorCapture ? captures.error : captures.output));
        ::close(folder);
        return CStatus();
    };
}

TEST_F(ConverterRunTest, ReadErrorAbandonsTheConversionAndNamesTheCapturesFolder) {
    for (const bool errorCapture : {true, false}) {
        std::string record;
        const CStatus status = RunConverter(kFake, "a", "b", record, BreakCapture(errorCapture));
        EXPECT_EQ(CStatus::Code::ReadFailed, status.GetCode())
            << "a read error abandons the record";
        EXPECT_EQ(m_private.Path(), status.Subject());
        EXPECT_EQ(EISDIR, status.SystemError());
        EXPECT_EQ(Names{}, m_folder.Names());
        EXPECT_EQ(Names{}, m_private.Names());
    }
}

TEST_F(ConverterRunTest, TwoCopiesInOneFolderNeverShareACapture) {
    constexpr int kRuns = 150;
    ::unsetenv("FAKE_REPORT");
    const auto convertAs = [&](const std::string& marker) {
        const std::string says = m_controls.Path() + "/" + marker;
        test::WriteFile(says, marker + "\n");
        ::setenv("FAKE_STDOUT_FILE", says.c_str(), 1);
        for (int i = 0; i < kRuns; ++i) {
            if (test::RecordOf(kFake, "a", "b") != "a -> b\r\n" + marker + "\r\n") {
                return false;
            }
        }
        return true;
    };
    pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        ::_exit(convertAs("child") ? 0 : 1);
    }
    const bool parentOwnRecords = convertAs("parent");
    int status = 0;
    ASSERT_EQ(other, ::waitpid(other, &status, 0));
    EXPECT_TRUE(parentOwnRecords);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other copy's records";
    EXPECT_EQ(Names{}, m_folder.Names());
}

}  // namespace
}  // namespace varlo
