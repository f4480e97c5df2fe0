// Whether a process has ended, for tests that end processes they did not start themselves.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <string>

#include "temp_folder.h"

namespace varlo::test {

// True when the process has ended; a zombie waiting for its parent to collect it has ended too.
inline bool Gone(pid_t pid) {
    if (::kill(pid, 0) != 0) {
        return true;
    }
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && stat.substr(close + 2, 1) == "Z";
}

// Gone, allowing up to a second for a signal already sent to be delivered.
inline bool GoneSoon(pid_t pid) {
    for (int waited = 0; waited < 100 && !Gone(pid); ++waited) {
        ::usleep(10000);
    }
    return Gone(pid);
}

}  // namespace varlo::test
