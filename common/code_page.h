// Text between a Windows code page and UTF-16, the one way the system converts it (Windows only).
#pragma once

#include <string>
#include <string_view>

namespace varlo {

// `text` read in `codePage` (CP_ACP, CP_UTF8, 932 …) as UTF-16; bytes with no character there
// become U+FFFD.
std::wstring ToWide(std::string_view text, unsigned codePage);

// UTF-16 written in `codePage`.
std::string FromWide(std::wstring_view text, unsigned codePage);

}  // namespace varlo
