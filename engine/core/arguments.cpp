#include "engine/core/arguments.h"

namespace varlo {

std::vector<std::string> SplitArguments(std::string_view commandLine) {
    std::vector<std::string> tokens;
    std::string_view rest = commandLine;
    while (!rest.empty()) {
        std::size_t skip = rest.find_first_not_of(' ');
        rest.remove_prefix(skip == std::string_view::npos ? rest.size() : skip);

        char terminator = ' ';
        if (!rest.empty() && rest.front() == '"') {
            rest.remove_prefix(1);
            terminator = '"';
        }

        std::size_t end = rest.find(terminator);
        if (end == std::string_view::npos) {
            // Also reached by a remainder of blanks only: it yields one final empty token.
            tokens.emplace_back(rest);
            break;
        }
        tokens.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    return tokens;
}

}  // namespace varlo
