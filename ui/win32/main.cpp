#include <windows.h>

#include "convert_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    varlo::CConvertApp app;
    return app.Run();
}
