// Reading and editing INI profile text: an edit reads back, touches one line, is stable, and
// leaves every other key as it was.
//
// Input: section NUL key NUL value NUL text. Missing fields are empty.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "settings/profile_text.h"

namespace {

using varlo::fuzz::Escaped;
using varlo::fuzz::Fail;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Names match as the profile functions match them: blanks around them dropped, ASCII letters
// in either case.
bool SameName(std::string_view a, std::string_view b) {
    a = Trimmed(a);
    b = Trimmed(b);
    const auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// A key the INI form can hold: a "key=value" line made of it reads as that key.
bool Writable(std::string_view key) {
    std::string_view rest = key;
    while (!rest.empty() && IsBlank(rest.front())) {
        rest.remove_prefix(1);
    }
    return key.find('=') == std::string_view::npos && !rest.empty() && rest.front() != ';' &&
           rest.front() != '[' && !HasLineBreak(key);
}

// Section and key names that the text seems to hold, each key with the section header above
// it. Only candidates: whether they are really there is for FindProfileValue to say.
std::vector<std::pair<std::string, std::string>> KeysInText(std::string_view text) {
    constexpr std::size_t kMaxKeys = 16;
    std::vector<std::pair<std::string, std::string>> keys;
    std::string section;
    std::size_t pos = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < text.size() && keys.size() < kMaxKeys) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        while (!line.empty() && IsBlank(line.front())) {
            line.remove_prefix(1);
        }
        if (line.starts_with('[')) {
            const std::size_t close = line.rfind(']');
            section = line.substr(1, close == std::string_view::npos ? close : close - 1);
        } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
            keys.emplace_back(section, line.substr(0, eq));
        }
    }
    return keys;
}

// The bytes of `before` that `after` does not keep at its ends: what an edit removed.
std::string_view Removed(std::string_view before, std::string_view after) {
    const std::size_t limit = std::min(before.size(), after.size());
    std::size_t prefix = 0;
    while (prefix < limit && before[prefix] == after[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < limit - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    return before.substr(prefix, before.size() - prefix - suffix);
}

std::string Shown(const std::optional<std::string>& value) {
    return value ? "\"" + Escaped(*value) + "\"" : "nothing";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        const std::size_t nul = input.find('\0');
        field = input.substr(0, nul);
        input.remove_prefix(nul == std::string_view::npos ? input.size() : nul + 1);
    }
    const std::string_view section = fields[0];
    const std::string_view key = fields[1];
    const std::string_view value = fields[2];
    const std::string_view text = input;
    const auto describe = [&] {
        return "section: \"" + Escaped(section) + "\"\nkey: \"" + Escaped(key) + "\"\nvalue: \"" +
               Escaped(value) + "\"\ntext: \"" + Escaped(text) + "\"";
    };

    // Reading copes with any text.
    const std::optional<std::string> before = varlo::FindProfileValue(text, section, key);

    const std::optional<std::string> written = varlo::SetProfileValue(text, section, key, value);
    const bool breaks = HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value);
    if (breaks) {
        if (written) {
            Fail("a name or value with a line break was written", describe());
        }
        return 0;
    }
    if (!written) {
        Fail("a value without line breaks was not written", describe());
    }
    const std::string& result = *written;
    const auto describeResult = [&] {
        return describe() + "\nresult: \"" + Escaped(result) + "\"";
    };

    // An existing key is replaced in place; otherwise a line is added.
    const auto breaksIn = [](std::string_view s, char c) {
        return std::count(s.begin(), s.end(), c);
    };
    const bool sameBreaks = breaksIn(result, '\r') == breaksIn(text, '\r') &&
                            breaksIn(result, '\n') == breaksIn(text, '\n');
    if (before.has_value() != sameBreaks) {
        Fail(before ? "replacing a key changed the line breaks" : "a new key added no line",
             describeResult());
    }

    // Only one line's value was replaced, or lines were added: nothing else was lost.
    if (HasLineBreak(Removed(text, result))) {
        Fail("the edit removed a line break", describeResult());
    }

    // A key the INI form cannot hold is written all the same, but its line reads as something
    // else (another key, a comment, a section), so the rest holds for the others only.
    if (!Writable(key)) {
        return 0;
    }

    // The value reads back exactly.
    const std::optional<std::string> read = varlo::FindProfileValue(result, section, key);
    if (read != value) {
        Fail("the written value does not read back", describeResult() + "\nread: " + Shown(read));
    }

    // Writing the same value again changes nothing.
    const std::optional<std::string> rewritten =
        varlo::SetProfileValue(result, section, key, value);
    if (rewritten != result) {
        Fail("writing the same value again changed the text",
             describeResult() + "\nagain: " + Shown(rewritten));
    }

    // Every other key keeps its value.
    for (const auto& [otherSection, otherKey] : KeysInText(text)) {
        if (SameName(otherSection, section) && SameName(otherKey, key)) {
            continue;
        }
        const std::optional<std::string> old =
            varlo::FindProfileValue(text, otherSection, otherKey);
        const std::optional<std::string> now =
            varlo::FindProfileValue(result, otherSection, otherKey);
        if (old != now) {
            Fail("another key changed its value",
                 describeResult() + "\nother: [" + Escaped(otherSection) + "] " +
                     Escaped(otherKey) + " was " + Shown(old) + ", is " + Shown(now));
        }
    }
    return 0;
}
