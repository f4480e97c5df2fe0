// Where a file dialog of the main window opens.
#pragma once

#include <string>
#include <string_view>

#include "engine/core/convert_field.h"
#include "engine/core/path_parts.h"

namespace varlo {

// The folder, drive included, that the file dialog serving `field` opens in: that of the path in
// the field (for the converter field, of its program word), or that of the input when the field
// is empty. Empty when that path names no folder: the dialog then opens in the current folder.
std::string DialogStartFolder(ConvertField field, std::string_view fieldText,
                              std::string_view inputText,
                              const PathRules& rules = PlatformPathRules());

}  // namespace varlo
