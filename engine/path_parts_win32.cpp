#include <windows.h>

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
