// Splitting the program's raw command line into the program path and its input files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varlo {

// Blanks (spaces only) separate tokens; a double quote at the start of a token groups up to the
// next double quote. Nothing else is special: no escapes, and a tab is an ordinary character.
std::vector<std::string> SplitArguments(std::string_view commandLine);

}  // namespace varlo
