// Local file paths from the "text/uri-list" of a drop, byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varlo {

// The local files a uri-list names, in its order: "file:" URIs whose host is empty or
// "localhost" (or `hostName`), percent-decoded to the exact bytes of the path. Comment lines and
// every other URI are left out.
std::vector<std::string> LocalPathsFromUriList(std::string_view uriList,
                                               std::string_view hostName = {});

}  // namespace varlo
