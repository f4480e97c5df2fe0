// The window's texts: fixed ones come from the string table in UTF-16, so that they read right
// whatever the system's code page; paths and field texts stay in the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

namespace varlo {

// A string of the program's string table, or an empty one when it has none of that id.
std::wstring ResourceString(UINT id);

// ANSI (code page CP_ACP) bytes as UTF-16, as the A functions would read them.
std::wstring AnsiToWide(const std::string& text);

}  // namespace varlo
