// The program's own texts are written in UTF-8; the engine's strings are in the platform's code
// page. This turns one into the other (nothing to do on POSIX).
#pragma once

#include <string>
#include <string_view>

namespace varlo {

std::string NativeText(std::string_view utf8);

}  // namespace varlo
