// GoogleTest main for the window tests: one QApplication on the offscreen platform, so that no
// display is needed.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <string>

namespace {

// A session bus of the tests' own, so that what the window tells the desktop reaches a service
// of the tests and no real desktop. 0 when dbus-daemon cannot be started.
pid_t StartSessionBus() {
    int out[2];
    if (::pipe(out) != 0) {
        return 0;
    }
    const pid_t daemon = ::fork();
    if (daemon == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--print-address=1",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string address;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') {
        address += c;
    }
    ::close(out[0]);
    if (address.empty()) {
        return 0;
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    return daemon;
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const pid_t bus = StartSessionBus();
    std::string runtime = std::filesystem::temp_directory_path() / "varlo-qt-test-XXXXXX";
    if (::mkdtemp(runtime.data()) != nullptr) {
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(runtime, ignored);
    if (bus > 0) {
        ::kill(bus, SIGTERM);
        ::waitpid(bus, nullptr, 0);
    }
    return result;
}
