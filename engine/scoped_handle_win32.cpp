#include <windows.h>

#include "scoped_handle.h"

namespace varlo {

void CloseNativeHandle(NativeHandle handle) {
    // INVALID_HANDLE_VALUE is kNoHandle; a null handle is what a failed call leaves in some APIs.
    if (handle != kNoHandle && handle != 0) {
        CloseHandle(reinterpret_cast<HANDLE>(handle));
    }
}

}  // namespace varlo
