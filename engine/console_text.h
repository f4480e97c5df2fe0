// What a converter prints, as the log shows it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varlo {

// Makes what a record holds from `from` on (the lines the converter printed) fit for the log, in
// place: text that is valid UTF-8 stays as it is. On Windows, where console programs print in
// the system's OEM code page while this program runs in UTF-8, other text is read in that code
// page. Line ends are left as they are.
void ConvertConsoleText(std::string& record, std::size_t from);

}  // namespace varlo
