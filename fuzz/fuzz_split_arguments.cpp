// SplitArguments against a character-by-character reading of its rules.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/arguments.h"
#include "fuzz_check.h"

namespace {

using varlo::fuzz::Escaped;
using varlo::fuzz::Fail;

// One character at a time: between tokens blanks are skipped; a token that starts with '"'
// runs to the next '"', any other to the next blank. Blanks seen after the last token, once
// its own terminator is consumed, make one empty token.
std::vector<std::string> ReferenceSplit(std::string_view line) {
    enum class State { BetweenTokens, SkippingBlanks, Plain, Quoted };
    std::vector<std::string> tokens;
    State state = State::BetweenTokens;
    std::string current;
    for (const char c : line) {
        if (state == State::BetweenTokens) {
            state = State::SkippingBlanks;
        }
        switch (state) {
            case State::SkippingBlanks:
                if (c == '"') {
                    current.clear();
                    state = State::Quoted;
                } else if (c != ' ') {
                    current.assign(1, c);
                    state = State::Plain;
                }
                break;
            case State::Plain:
                if (c == ' ') {
                    tokens.push_back(current);
                    state = State::BetweenTokens;
                } else {
                    current += c;
                }
                break;
            case State::Quoted:
                if (c == '"') {
                    tokens.push_back(current);
                    state = State::BetweenTokens;
                } else {
                    current += c;
                }
                break;
            case State::BetweenTokens:
                break;
        }
    }
    switch (state) {
        case State::SkippingBlanks:
            tokens.emplace_back();
            break;
        case State::Plain:
        case State::Quoted:
            tokens.push_back(current);
            break;
        case State::BetweenTokens:
            break;
    }
    return tokens;
}

// For a line without quotes: the non-empty blank-separated fields, and one empty token when
// the line is all blanks or ends in two blanks or more (one ends the last field).
std::vector<std::string> FieldSplit(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t lastFieldEnd = std::string_view::npos;
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos) {
            end = line.size();
        }
        if (end > start) {
            fields.emplace_back(line.substr(start, end - start));
            lastFieldEnd = end;
        }
        start = end + 1;
    }
    const std::size_t trailingBlanks =
        lastFieldEnd == std::string_view::npos ? line.size() : line.size() - lastFieldEnd;
    const bool emptyToken =
        lastFieldEnd == std::string_view::npos ? !line.empty() : trailingBlanks >= 2;
    if (emptyToken) {
        fields.emplace_back();
    }
    return fields;
}

std::string Listed(const std::vector<std::string>& tokens) {
    std::string out;
    for (const std::string& token : tokens) {
        out += " \"" + Escaped(token) + "\"";
    }
    return out;
}

std::string Describe(std::string_view line, const std::vector<std::string>& tokens) {
    return "input: \"" + Escaped(line) + "\"\ntokens:" + Listed(tokens);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> tokens = varlo::SplitArguments(line);
    const std::vector<std::string> expected = ReferenceSplit(line);

    // A token holding a blank comes from a quoted group: the input holds it right after a
    // '"', closed by another '"' or by the end of the line.
    for (const std::string& token : tokens) {
        if (token.find(' ') == std::string::npos) {
            continue;
        }
        bool fromGroup = false;
        const std::string opened = '"' + token;
        for (std::size_t at = line.find(opened); at != std::string_view::npos && !fromGroup;
             at = line.find(opened, at + 1)) {
            const std::size_t after = at + opened.size();
            fromGroup = after == line.size() || line[after] == '"';
        }
        if (!fromGroup) {
            Fail("a token holds a blank but no quoted group gives it", Describe(line, tokens));
        }
    }

    if (tokens != expected) {
        Fail("tokens differ from the rules",
             Describe(line, tokens) + "\nexpected:" + Listed(expected));
    }

    if (line.find('"') == std::string_view::npos && tokens != FieldSplit(line)) {
        Fail("tokens differ from the blank-separated fields", Describe(line, tokens));
    }
    return 0;
}
