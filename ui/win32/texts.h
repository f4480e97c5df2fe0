// The window's texts: fixed ones come from the catalogue in UTF-16, so that they read right
// whatever the system's code page; paths and field texts stay in the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

#include "common/texts.h"

namespace varlo {

// A text of the program's catalogue, as the wide window functions take it.
std::wstring UiText(TextId id);

// ANSI (code page CP_ACP) bytes as UTF-16, as the A functions would read them.
std::wstring AnsiToWide(const std::string& text);

}  // namespace varlo
