#include "uri_list.h"

#include "common/text.h"

namespace varlo {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// "%XY" becomes the byte XY; a '%' not followed by two hex digits stays as it is.
std::string PercentDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        int high = -1;
        int low = -1;
        if (s[i] == '%' && i + 2 < s.size() && (high = HexValue(s[i + 1])) >= 0 &&
            (low = HexValue(s[i + 2])) >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> LocalPathsFromUriList(std::string_view uriList,
                                               std::string_view hostName) {
    std::vector<std::string> paths;
    while (!uriList.empty()) {
        const std::size_t end = uriList.find_first_of("\r\n");
        std::string_view line = uriList.substr(0, end);
        uriList.remove_prefix(end == std::string_view::npos ? uriList.size() : end + 1);

        if (line.empty() || line.front() == '#' || !StartsWithAsciiNoCase(line, "file:")) {
            continue;
        }
        std::string_view rest = line.substr(5);
        if (rest.starts_with("//")) {
            rest.remove_prefix(2);
            const std::size_t slash = rest.find('/');
            if (slash == std::string_view::npos) {
                continue;
            }
            const std::string_view host = rest.substr(0, slash);
            const bool local = host.empty() || EqualsAsciiNoCase(host, "localhost") ||
                               (!hostName.empty() && host == hostName);
            if (!local) {
                continue;  // a file on another machine
            }
            rest.remove_prefix(slash);
        }
        if (!rest.starts_with("/")) {
            continue;
        }
        // A query or fragment is no part of a file's name; '?' and '#' in names arrive encoded.
        rest = rest.substr(0, rest.find_first_of("?#"));
        paths.push_back(PercentDecode(rest));
    }
    return paths;
}

}  // namespace varlo
