// Ties a child process's life to the program's, where the system can.
#pragma once

namespace varlo {

// Called in a freshly forked child, before exec: asks the system to kill it when the thread that
// forked it ends, which for the window's thread means when the program ends, however it ends.
// Only system calls: safe between fork and exec. 0, or the system error code.
int DieWithParent();

}  // namespace varlo
