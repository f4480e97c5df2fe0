// The command lines that start a converter on Windows, built from the converter text's words so
// that the started program reads back exactly the arguments meant. Plain standard C++: the rules
// are those Windows programs read their command lines by.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varlo {

// One argument as a Windows program's C runtime splits it back out: in double quotes, a quote
// inside escaped, and the backslashes before a quote (or before the closing one) doubled, so that
// "C:\wav\" stays a folder instead of swallowing the quote.
std::string QuoteWindowsArgument(std::string_view argument);

// For a program started directly: the program word, its own further words, then input and output,
// each quoted and one blank apart. Blanks around the converter text never make an argument.
std::string DirectCommandLine(const std::vector<std::string>& words, std::string_view input,
                              std::string_view output);

// The arguments of the command interpreter that runs a batch converter: /d /v:off /s /c and the
// words, input and output in one pair of quotes. The interpreter knows no escapes: a word goes in
// quotes when it is empty or holds a blank or one of its operators, the names always.
std::string BatchCommandLine(const std::vector<std::string>& words, std::string_view input,
                             std::string_view output);

}  // namespace varlo
