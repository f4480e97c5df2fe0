#include <unistd.h>

#include "engine/platform/name_limit.h"

namespace varlo {

std::size_t FolderNameLimit(const std::string& folder) {
    if (folder.find('\0') != std::string::npos) {
        return kNoNameLimit;
    }
    // -1 both when the folder cannot be asked and when it sets no limit.
    const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : kNoNameLimit;
}

}  // namespace varlo
