// How long a file name a folder can hold: the one platform question the output proposal asks.
#pragma once

#include <cstddef>
#include <string>

namespace varlo {

inline constexpr std::size_t kNoNameLimit = static_cast<std::size_t>(-1);

// The most bytes a file name in `folder` may have ("" for the current folder), or kNoNameLimit
// when the platform does not say (a folder that does not exist, say).
std::size_t FolderNameLimit(const std::string& folder);

}  // namespace varlo
