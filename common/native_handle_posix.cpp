#include <errno.h>
#include <unistd.h>

#include "native_handle.h"
#include "retry.h"

namespace varlo {

void CloseNativeHandle(NativeHandle handle) {
    if (handle != kNoHandle) {
        ::close(static_cast<int>(handle));
    }
}

bool WriteAll(NativeHandle handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written =
            RetryAfterSignal(-1, ::write, static_cast<int>(handle), bytes.data(), bytes.size());
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace varlo
