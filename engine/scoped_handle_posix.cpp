#include <unistd.h>

#include "scoped_handle.h"

namespace varlo {

void CloseNativeHandle(NativeHandle handle) {
    if (handle != kNoHandle) {
        ::close(static_cast<int>(handle));
    }
}

}  // namespace varlo
