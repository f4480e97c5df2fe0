// Texts for the user from the system and from the program itself, in the platform's code page:
// below the settings and the engine, so that both speak alike.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "texts.h"

namespace varlo {

// The program's own texts are written in UTF-8; the engine's strings are in the platform's code
// page. This turns one into the other (nothing to do on POSIX).
std::string NativeText(std::string_view utf8);
// A text of the catalogue (common/texts.h) in the platform's code page; with `values`, its %1,
// %2 … replaced by them (values in the platform's code page too, such as paths).
std::string NativeText(TextId id, std::initializer_list<std::string_view> values = {});

// The system's text for an error code (errno on POSIX, GetLastError() on Windows), such as
// "Permission denied", in the platform's code page and without a line end.
std::string SystemErrorText(int error);

}  // namespace varlo
