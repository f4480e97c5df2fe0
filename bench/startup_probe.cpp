// The program as a user starts it, with one addition: when its window first reaches the screen it
// tells startup_bench, which times the start-up, and closes the window.
#include "first_paint_signal.h"
#include "ui/qt/convert_app.h"

int main(int argc, char** argv) {
    const int fd = varlo::bench::FirstPaintFd("startup_probe");
    if (fd < 0) {
        return 2;
    }
    varlo::bench::DefaultToOffscreen();
    varlo::CConvertApp app(argc, argv);
    varlo::bench::CFirstPaintSignal signal(fd);
    return app.Run();
}
