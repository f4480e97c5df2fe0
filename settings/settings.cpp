#include "settings.h"

#include <algorithm>
#include <limits>

namespace varlo {

int ParseProfileInt(std::string_view value, int fallback) {
    if (value.empty()) {
        return fallback;
    }
    bool negative = false;
    if (value.front() == '+' || value.front() == '-') {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    long long magnitude = 0;
    constexpr long long kMax = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    for (char c : value) {
        if (c < '0' || c > '9') {
            break;
        }
        magnitude = std::min(kMax, magnitude * 10 + (c - '0'));
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<long long>(signedValue, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

std::string CutUtf8(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return std::string(text);
    }
    std::size_t end = limit;
    // Step back over the continuation bytes (10xxxxxx) of the character the cut falls in; a
    // character has at most three of them, whatever bytes follow.
    while (end > 0 && end + 3 > limit && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(text.substr(0, end));
}

Settings ReadSettings(const CProfileStore& store, const std::string& section) {
    Settings settings;
    settings.execFile = CutUtf8(
        store.ReadValue(section, std::string(kExecFileKey)).value_or(std::string(kDefaultExecFile)),
        kExecFileLimit);
    settings.autoExec =
        ParseProfileInt(store.ReadValue(section, std::string(kAutoExecKey)).value_or(""), 0);
    return settings;
}

void WriteExecFile(CProfileStore& store, const std::string& section, const std::string& path) {
    store.WriteValue(section, std::string(kExecFileKey), path);
}

void WriteAutoExec(CProfileStore& store, const std::string& section, int value) {
    store.WriteValue(section, std::string(kAutoExecKey), std::to_string(value));
}

}  // namespace varlo
