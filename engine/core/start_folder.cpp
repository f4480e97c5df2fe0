#include "engine/core/start_folder.h"

#include "engine/core/converter_words.h"

namespace varlo {

std::string DialogStartFolder(ConvertField field, std::string_view fieldText,
                              std::string_view inputText, const PathRules& rules) {
    std::string path(fieldText.empty() ? inputText : fieldText);
    if (!fieldText.empty() && field == ConvertField::Converter) {
        // The converter field is a command: "/opt/my conv/conv" -q names the program first.
        const std::vector<std::string> words = SplitConverterWords(fieldText);
        path = words.empty() ? std::string() : words.front();
    }
    const PathParts parts = SplitPath(path, rules);
    return parts.drive + parts.directory;
}

}  // namespace varlo
