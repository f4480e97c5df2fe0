// GoogleTest main for the window tests: one QApplication on the offscreen platform, so that no
// display is needed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string runtime = std::filesystem::temp_directory_path() / "varlo-qt-test-XXXXXX";
    if (::mkdtemp(runtime.data()) != nullptr) {
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(runtime, ignored);
    return result;
}
