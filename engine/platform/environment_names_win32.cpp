#include <windows.h>

#include <vector>

#include "engine/platform/environment_names.h"

namespace varlo {

std::string ExpandEnvironmentNames(const std::string& text) {
    if (text.find('%') == std::string::npos) {
        return text;
    }
    std::vector<char> expanded(text.size() + 256);
    for (;;) {
        // The size asked for counts the NUL, and with double-byte code pages may be generous.
        const DWORD size = static_cast<DWORD>(expanded.size());
        const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), expanded.data(), size);
        if (needed == 0) {
            return text;
        }
        if (needed <= size) {
            return std::string(expanded.data());
        }
        expanded.resize(needed);
    }
}

}  // namespace varlo
