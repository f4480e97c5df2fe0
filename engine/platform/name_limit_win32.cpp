#include "engine/platform/name_limit.h"

namespace varlo {

// Windows counts its 255-character limit in UTF-16 units, which no byte count of an ANSI name
// matches (a Shift-JIS name of 255 characters may have 510 bytes): names are proposed uncut.
std::size_t FolderNameLimit(const std::string&) {
    return kNoNameLimit;
}

}  // namespace varlo
