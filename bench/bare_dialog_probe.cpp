// The least a Qt Widgets program can do to show a window: a plain dialog of the size of the main
// window, nothing in it. The floor for startup_probe, reported the same way.
#include <QApplication>
#include <QDialog>
#include <cstdio>
#include <cstdlib>

#include "first_paint_signal.h"

namespace {

constexpr char kSizeVariable[] = "VARLO_PROBE_DIALOG_SIZE";

// "<width>x<height>" from the environment; false when missing or malformed.
bool DialogSize(int& width, int& height) {
    const char* text = std::getenv(kSizeVariable);
    char tail = '\0';
    return text != nullptr && std::sscanf(text, "%dx%d%c", &width, &height, &tail) == 2 &&
           width > 0 && height > 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int fd = varlo::bench::FirstPaintFd("bare_dialog_probe");
    int width = 0;
    int height = 0;
    if (fd < 0 || !DialogSize(width, height)) {
        if (fd >= 0) {
            std::fprintf(stderr, "bare_dialog_probe: %s wants <width>x<height>\n", kSizeVariable);
        }
        return 2;
    }
    varlo::bench::DefaultToOffscreen();
    QApplication app(argc, argv);
    varlo::bench::CFirstPaintSignal signal(fd);
    QDialog dialog;
    dialog.setFixedSize(width, height);
    dialog.exec();
    return 0;
}
