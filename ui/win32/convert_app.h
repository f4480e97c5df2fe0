// The application: shows the main window modally over the program's command line and ends when
// it closes.
#pragma once

namespace varlo {

class CConvertApp {
public:
    // Runs the main window until it closes; the process's exit status.
    int Run();
};

}  // namespace varlo
