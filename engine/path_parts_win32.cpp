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

bool RemoveFile(const std::string& path) {
    return path.find('\0') == std::string::npos && DeleteFileA(path.c_str()) != FALSE;
}

}  // namespace varlo
