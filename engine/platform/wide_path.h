// Paths for the system's wide functions (Windows): the engine keeps its 8-bit strings, and turns
// them into UTF-16 only where it calls the system.
#pragma once

#include <string>

namespace varlo {

// The path in UTF-16, read in the ANSI code page.
std::wstring WideFromAnsi(const std::string& path);

// The path made absolute and clean by the system's own reading of it (current folder and drive,
// "." and "..", both separators); it looks at no file. The path itself when that fails.
std::wstring FullWidePath(const std::wstring& path);

// The path as a wide file function takes it: where it is too long for the classic limit of 260
// characters, in its "\\?\" form, which reaches past it.
std::wstring WidePath(const std::string& path);

}  // namespace varlo
