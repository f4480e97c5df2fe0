#include <errno.h>
#include <fcntl.h>

#include "common/retry.h"
#include "engine/platform/capture_file_system.h"

namespace varlo {

int OpenUnnamedFile(const std::string& folder) {
    return RetryAfterSignal(
        -1, [&] { return ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600); });
}

bool UnnamedFilesUnsupported(int error) {
    // Kernels and file systems without O_TMPFILE answer in one of these ways.
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

}  // namespace varlo
