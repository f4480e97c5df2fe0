#include <windows.h>

#include "path_parts.h"

namespace varlo {

namespace {

// The lead bytes of the ANSI code page in force (those of Shift-JIS on a Japanese system).
bool AnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByteEx(CP_ACP, byte) != FALSE;
}

const PathRules kAnsiPathRules{&AnsiLeadByte, '\\', kPathPartLimit, true};

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
