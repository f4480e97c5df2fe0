#include "convert_app.h"

int main(int argc, char** argv) {
    varlo::CConvertApp app(argc, argv);
    return app.Run();
}
