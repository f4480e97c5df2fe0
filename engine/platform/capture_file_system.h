// What the portable POSIX capture asks of the particular system it runs on
// (capture_file_linux.cpp).
#pragma once

#include <string>

namespace varlo {

// Opens a file without a name in `folder`, for reading and writing, not inherited across exec:
// its descriptor, or -1 with errno set. EOPNOTSUPP (or another refusal of the request itself)
// means that the system or the folder's file system has no such files.
int OpenUnnamedFile(const std::string& folder);

// True when `error`, from OpenUnnamedFile, refused the kind of file rather than the folder.
bool UnnamedFilesUnsupported(int error);

}  // namespace varlo
