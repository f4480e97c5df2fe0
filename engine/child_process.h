// What a freshly forked child does before it execs the converter, where the system can. Only
// system calls: safe between fork and exec. Each returns 0, or the system error code.
#pragma once

namespace varlo {

// Asks the system to kill the child when the thread that forked it ends, which for the window's
// thread means when the program ends, however it ends.
int DieWithParent();

// Closes every descriptor from `first` on but `keep`, so that the converter holds nothing of the
// program's but its three standard streams (a pipe it held open would keep a reader waiting).
int CloseDescriptorsFrom(int first, int keep);

}  // namespace varlo
