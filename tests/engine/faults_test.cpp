// Converters that misbehave, and a current folder that gets in the way: the chain goes on, the
// log keeps what was printed, no capture stays behind, memory stays near what the log holds.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <map>

#include "engine/convert_controller.h"
#include "engine/converter_run.h"
#include "fake_view.h"
#include "settings/settings.h"
#include "temp_folder.h"
#include "wait_loop.h"

namespace varlo {
namespace {

using namespace std::string_literals;

const std::string kFake = FAKE_CONVERTER_PATH;

// AddressSanitizer keeps freed memory aside for a while, so peak memory says nothing under it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryIsMeasurable = false;
#elif defined(__has_feature)
constexpr bool kMemoryIsMeasurable = !__has_feature(address_sanitizer);
#else
constexpr bool kMemoryIsMeasurable = true;
#endif

class FaultsTest : public ::testing::Test {
protected:
    FaultsTest() { ::setenv("FAKE_BY_INPUT", "1", 1); }
    ~FaultsTest() override { ::unsetenv("FAKE_BY_INPUT"); }

    // Converts the files as one dropped queue with auto-convert on; returns the log.
    std::string ConvertAll(const std::vector<std::string>& files) {
        CProfileStore store(m_folder.Path() + "/cfg/profile.ini");
        WriteExecFile(store, "varloGui", kFake);
        WriteAutoExec(store, "varloGui", 1);
        test::CFakeView view;
        view.recording = false;
        CWaitLoop loop;
        CProcessRunner runner(loop);
        CConvertController controller(view, store, runner);
        controller.SetArguments({"varloGui"});
        controller.Start();
        controller.FilesDropped(files);
        EXPECT_TRUE(loop.RunUntil([&] { return !controller.Busy(); }, std::chrono::minutes(2)));
        EXPECT_TRUE(controller.Queue().empty());
        EXPECT_EQ("", view.fields[ConvertField::Input]) << "the chain ran to its end";
        return view.fields[ConvertField::Log];
    }

    std::set<std::string> LeftOver() {
        std::set<std::string> names = m_folder.Names();
        names.erase("cfg");
        return names;
    }

    test::CTempFolder m_folder;
};

TEST_F(FaultsTest, TheChainGoesOnPastConvertersThatFailCrashOrCloseTheirOutput) {
    const std::string log =
        ConvertAll({"exit-3.wav", "signal-11.wav", "signal-9.wav", "close-stdout.wav", "ok.wav"});
    EXPECT_EQ(
        "exit-3.wav -> exit-3.aac\r\nexiting\r\n"
        "変換プログラムが終了コード 3 で終了しました。\r\n"
        "signal-11.wav -> signal-11.aac\r\ncrashing\r\n"
        "変換プログラムがシグナル 11 (SIGSEGV) で異常終了しました。\r\n"
        "signal-9.wav -> signal-9.aac\r\ncrashing\r\n"
        "変換プログラムがシグナル 9 (SIGKILL) で異常終了しました。\r\n"
        "close-stdout.wav -> close-stdout.aac\r\nstdout closed\r\n"
        "ok.wav -> ok.aac\r\nconverted ok.wav\r\n",
        log);
    EXPECT_EQ(std::set<std::string>{}, LeftOver());
}

TEST_F(FaultsTest, BytesThatAreNotTextReachTheLogUnchanged) {
    // The log keeps every byte the converter printed; only the line ends become CR LF.
    EXPECT_EQ("bytes.wav -> bytes.aac\r\nbad \xff\xfe\xc0\xaf end\r\nnul \0 inside\r\n"s,
              ConvertAll({"bytes.wav"}));
}

TEST_F(FaultsTest, FiftyMegabytesOfOutputKeepTheirEndsAndCostAboutWhatTheLogHolds) {
    // Measured in a child, whose peak memory starts fresh.
    int pipeFds[2];
    ASSERT_EQ(0, ::pipe(pipeFds));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        const std::string log = ConvertAll({"print-50m.wav", "ok.wav"});
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const long long grownKb = after.ru_maxrss - before.ru_maxrss;
        const long long logKb = static_cast<long long>(log.size() / 1024);
        // 500,000 lines of 101 bytes in the record: 41,527 of them fit in each 4 MiB end.
        std::string end;
        for (int n = 0; n < 41527; ++n) {
            end += std::string(99, 'x') + "\r\n";
        }
        const bool ends =
            log == "print-50m.wav -> print-50m.aac\r\n" + end +
                       "… 変換プログラムの出力のうち 42.1 MB を表示していません …\r\n" + end +
                       "ok.wav -> ok.aac\r\nconverted ok.wav\r\n";
        const std::string report = std::to_string(grownKb) + " " + std::to_string(logKb) + " " +
                                   (ends ? "ends" : "other") + " " +
                                   (LeftOver().empty() ? "clean" : "left");
        [[maybe_unused]] ssize_t n = ::write(pipeFds[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    char buffer[128] = {};
    [[maybe_unused]] ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer - 1);
    ::close(pipeFds[0]);
    ASSERT_EQ(child, ::waitpid(child, nullptr, 0));

    long long grownKb = 0, logKb = 0;
    char ends[8] = {}, clean[8] = {};
    ASSERT_EQ(4, std::sscanf(buffer, "%lld %lld %7s %7s", &grownKb, &logKb, ends, clean)) << buffer;
    std::cerr << "peak memory grew by " << grownKb / 1024 << " MB for a log of " << logKb / 1024
              << " MB\n";
    EXPECT_STREQ("ends", ends)
        << "the log holds the first and last 4 MiB, and says what is left out";
    EXPECT_STREQ("clean", clean);
    if (!kMemoryIsMeasurable) {
        return;
    }
    EXPECT_LT(grownKb, 2 * logKb + 50 * 1024)
        << "grew by " << grownKb << " KB for a log of " << logKb << " KB";
}

}  // namespace
}  // namespace varlo
