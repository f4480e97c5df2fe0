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

bool RemoveFile(const std::string& path) {
    return path.find('\0') == std::string::npos && ::unlink(path.c_str()) == 0;
}

}  // namespace varlo
