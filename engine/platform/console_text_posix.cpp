#include "engine/platform/console_text.h"

namespace varlo {

void ConvertConsoleText(std::string&, std::size_t) {
    // Names, texts and the log are bytes as they come.
}

}  // namespace varlo
