// What a converter prints, as the log shows it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varlo {

// Makes what a record holds from `from` on (the lines the converter printed) fit for the log, in
// place: text that is valid UTF-8 stays as it is. On Windows, where console programs print in
// the system's OEM code page while this program runs in UTF-8, each other line is read in that
// code page: a batch file's own lines and the UTF-8 of a program it runs share one record. Line
// ends are left as they are.
void ConvertConsoleText(std::string& record, std::size_t from);

// Windows only: `text` with each line (up to and with its LF) that is not valid UTF-8 read in
// `codePage`, as UTF-8; valid lines stay as they are.
std::string ConsoleLinesToUtf8(std::string_view text, unsigned codePage);

}  // namespace varlo
