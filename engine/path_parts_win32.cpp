#include <windows.h>

#include <string>

#include "path_parts.h"

namespace varlo {

namespace {

// The lead bytes of the ANSI code page in force: none under UTF-8, which the program's manifest
// asks for; Shift-JIS's on a Japanese Windows too old to honour that.
bool AnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByteEx(CP_ACP, byte) != FALSE;
}

// Folders are never cut: a longer path is still one folder, and a cut one names another.
const PathRules kAnsiPathRules{&AnsiLeadByte, '\\', std::string_view::npos, true};

}  // namespace

const PathRules& PlatformPathRules() {
    return kAnsiPathRules;
}

std::string FileKey(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    // The system's own reading of the name: current folder and drive, "." and "..", both
    // separators; it looks at no file.
    const int length =
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got =
            GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (got == 0) {
            full = wide;
            break;
        }
        if (got < full.size()) {
            full.resize(got);
            break;
        }
        full.resize(got + 1);
    }
    CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, full.data(), static_cast<int>(full.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string key(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, full.data(), static_cast<int>(full.size()), key.data(), bytes,
                        nullptr, nullptr);
    return key;
}

bool PathExists(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        return false;
    }
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

NameKind KindOfName(const std::string& path) {
    // The attributes of the name itself: a link's own, not its target's.
    const DWORD attributes = path.find('\0') != std::string::npos
                                 ? INVALID_FILE_ATTRIBUTES
                                 : GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Only a name known to be free is free: one that cannot be looked at may be someone's.
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? NameKind::None
                                                                              : NameKind::Other;
    }
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? NameKind::Link : NameKind::Other;
}

bool RemoveFile(const std::string& path) {
    return path.find('\0') == std::string::npos && DeleteFileA(path.c_str()) != FALSE;
}

}  // namespace varlo
