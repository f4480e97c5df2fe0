// The converter field's text as the words of a command.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varlo {

// The converter text cut into words: blanks (space or tab) separate words, double quotes group
// blanks into a word and are removed. "ffmpeg -nostdin -y -i" gives four words.
std::vector<std::string> SplitConverterWords(std::string_view converter);

}  // namespace varlo
