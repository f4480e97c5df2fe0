// What the portable POSIX converter process asks of the particular system it runs on
// (converter_process_linux.cpp).
#pragma once

#include <sys/types.h>

#include "common/native_handle.h"

namespace varlo {

// Called in the child before it execs the converter: only system calls, safe while the child
// borrows the program's memory. Each returns 0, or the system error code.

// Asks the system to kill the child when the thread that started it ends, which for the window's
// thread means when the program ends, however it ends.
int DieWithParent();

// Closes every descriptor from `first` on but `keep`, so that the converter holds nothing of the
// program's but its three standard streams (a pipe it held open would keep a reader waiting).
int CloseDescriptorsFrom(int first, int keep);

// Starts a child process that runs `child(argument)` while it borrows the program's memory, as
// vfork does: the calling thread waits until the child has exec'd or ended. Starting a converter
// so copies none of the program's page tables, and costs no copy-on-write faults afterwards.
// The child may only make system calls, and returns what it exits with when exec fails. Returns
// its pid, or -1 and errno.
pid_t StartChild(int (*child)(void*), void* argument);

// In the program: a descriptor that becomes readable when the child `pid` has ended, for the
// event loop to watch; kNoHandle where the system has none (the end is then polled for).
NativeHandle OpenEndHandle(pid_t pid);

}  // namespace varlo
