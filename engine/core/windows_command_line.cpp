#include "engine/core/windows_command_line.h"

namespace varlo {

namespace {

// What the command interpreter would read as a separator or an operator outside quotes.
bool NeedsInterpreterQuotes(std::string_view word) {
    return word.empty() || word.find_first_of(" \t&|<>^(),;=") != std::string_view::npos;
}

}  // namespace

std::string QuoteWindowsArgument(std::string_view argument) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
        } else {
            if (c == '"') {
                quoted.append(backslashes + 1, '\\');
            }
            backslashes = 0;
        }
        quoted += c;
    }
    quoted.append(backslashes, '\\');
    quoted += '"';
    return quoted;
}

std::string DirectCommandLine(const std::vector<std::string>& words, std::string_view input,
                              std::string_view output) {
    std::string line;
    for (std::size_t i = 0; i < words.size(); ++i) {
        // The program's own name is read up to the next quote, without escapes; it cannot hold a
        // quote and never ends in a backslash.
        line += i == 0 ? "\"" + words[i] + "\"" : QuoteWindowsArgument(words[i]);
        line += ' ';
    }
    line += QuoteWindowsArgument(input);
    line += ' ';
    line += QuoteWindowsArgument(output);
    return line;
}

std::string BatchCommandLine(const std::vector<std::string>& words, std::string_view input,
                             std::string_view output) {
    std::string line = "cmd.exe /d /v:off /s /c \"";
    for (const std::string& word : words) {
        line += NeedsInterpreterQuotes(word) ? "\"" + word + "\"" : word;
        line += ' ';
    }
    line.append("\"").append(input).append("\" \"").append(output).append("\"\"");
    return line;
}

}  // namespace varlo
