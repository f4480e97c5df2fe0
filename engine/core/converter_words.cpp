#include "engine/core/converter_words.h"

namespace varlo {

std::vector<std::string> SplitConverterWords(std::string_view converter) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;  // a word may be empty: ""
    bool quoted = false;
    for (char c : converter) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

}  // namespace varlo
