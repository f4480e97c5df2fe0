// What the portable POSIX converter process asks of the particular system it runs on
// (converter_process_linux.cpp).
#pragma once

#include <sys/types.h>

#include "common/native_handle.h"

namespace varlo {

// Called in a freshly forked child before it execs the converter: only system calls, safe between
// fork and exec. Each returns 0, or the system error code.

// Asks the system to kill the child when the thread that forked it ends, which for the window's
// thread means when the program ends, however it ends.
int DieWithParent();

// Closes every descriptor from `first` on but `keep`, so that the converter holds nothing of the
// program's but its three standard streams (a pipe it held open would keep a reader waiting).
int CloseDescriptorsFrom(int first, int keep);

// In the program: a descriptor that becomes readable when the child `pid` has ended, for the
// event loop to watch; kNoHandle where the system has none (the end is then polled for).
NativeHandle OpenEndHandle(pid_t pid);

}  // namespace varlo
