#include "converter_process.h"

namespace varlo {

CConverterProcess::CConverterProcess() : m_state(NewState()) {}

// A converter still running when its owner goes is ended with everything it started.
CConverterProcess::~CConverterProcess() {
    if (Running()) {
        Kill();
        Wait();
    }
}

CConverterProcess::CConverterProcess(CConverterProcess&&) noexcept = default;
CConverterProcess& CConverterProcess::operator=(CConverterProcess&&) noexcept = default;

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
