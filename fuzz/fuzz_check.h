// What the fuzz targets share: stopping on a broken property, and showing bytes readably.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace varlo::fuzz {

// The bytes as a C string literal body, so that a report can be pasted into a test.
inline std::string Escaped(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

// Stops the run, so that libFuzzer keeps the input; the message says which property broke.
[[noreturn]] inline void Fail(const char* property, std::string_view detail = {}) {
    std::fprintf(stderr, "fuzz property violated: %s\n", property);
    if (!detail.empty()) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(detail.size()), detail.data());
    }
    std::abort();
}

}  // namespace varlo::fuzz
