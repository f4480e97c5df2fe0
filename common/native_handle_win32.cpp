#include <windows.h>

#include <algorithm>

#include "native_handle.h"

namespace varlo {

void CloseNativeHandle(NativeHandle handle) {
    // INVALID_HANDLE_VALUE is kNoHandle; a null handle is what a failed call leaves in some APIs.
    if (handle != kNoHandle && handle != 0) {
        CloseHandle(reinterpret_cast<HANDLE>(handle));
    }
}

bool WriteAll(NativeHandle handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), MAXDWORD));
        if (!WriteFile(reinterpret_cast<HANDLE>(handle), bytes.data(), size, &written, nullptr) ||
            written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace varlo
