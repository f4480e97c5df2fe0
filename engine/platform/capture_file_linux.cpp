#include <errno.h>
#include <fcntl.h>

#include "engine/platform/capture_file_system.h"

namespace varlo {

int OpenUnnamedFile(const std::string& folder) {
    int fd;
    do {
        fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool UnnamedFilesUnsupported(int error) {
    // Kernels and file systems without O_TMPFILE answer in one of these ways.
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

}  // namespace varlo
