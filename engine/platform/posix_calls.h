// Small POSIX calls that several files of the platform layer need.
#pragma once

#include <string>

namespace varlo {

// A descriptor clear of 0, 1 and 2: when the program was started with those closed, a new
// descriptor could land on one of them, where a child's standard streams go. Closes `fd` when it
// moves it; -1 with errno when the move fails. A negative `fd` comes back as it is.
int AboveStandardStreams(int fd);

// The current folder, however long; empty when it cannot be read.
std::string CurrentFolder();

}  // namespace varlo
