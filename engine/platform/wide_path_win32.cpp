#include <windows.h>

#include "common/code_page.h"
#include "engine/platform/wide_path.h"

namespace varlo {

std::wstring WideFromAnsi(const std::string& path) {
    return ToWide(path, CP_ACP);
}

std::wstring FullWidePath(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return path;
        }
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length + 1);
    }
}

std::wstring WidePath(const std::string& path) {
    // 248, not 260: what a folder may have, so that a file name still fits inside it.
    constexpr std::size_t kClassicLimit = MAX_PATH - 12;
    const std::wstring wide = WideFromAnsi(path);
    if (wide.size() < kClassicLimit || wide.rfind(L"\\\\?\\", 0) == 0) {
        return wide;
    }
    // The system takes a "\\?\" path as it stands: it must be absolute and clean first.
    const std::wstring full = FullWidePath(wide);
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share\…
    }
    return L"\\\\?\\" + full;
}

}  // namespace varlo
