#include "convert_app.h"
#include "engine/platform/watchdog.h"

int main(int argc, char** argv) {
    // Before Qt starts any thread: the watchdog is forked.
    varlo::StartWatchdog();
    varlo::CConvertApp app(argc, argv);
    return app.Run();
}
