// The fields of the main window, as the engine names them.
#pragma once

namespace varlo {

enum class ConvertField { Input, Output, Converter, Log };

}  // namespace varlo
