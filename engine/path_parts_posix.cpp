#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include "path_parts.h"

namespace varlo {

const PathRules& PlatformPathRules() {
    return kPosixPathRules;
}

bool PathExists(const std::string& path) {
    // stat follows links: a dangling link does not exist, nor does "file/".
    // A NUL byte cannot stand in a POSIX name; without this check the name would be cut there.
    if (path.find('\0') != std::string::npos) {
        return false;
    }
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

NameKind KindOfName(const std::string& path) {
    struct stat st;
    if (path.find('\0') != std::string::npos) {
        return NameKind::None;
    }
    if (::lstat(path.c_str(), &st) != 0) {
        // Only a name known to be free is free: one that cannot be looked at may be someone's.
        return errno == ENOENT || errno == ENOTDIR ? NameKind::None : NameKind::Other;
    }
    return S_ISLNK(st.st_mode) ? NameKind::Link : NameKind::Other;
}

bool RemoveFile(const std::string& path) {
    return path.find('\0') == std::string::npos && ::unlink(path.c_str()) == 0;
}

}  // namespace varlo
