#include "engine/core/path_parts.h"

namespace varlo {

namespace {

bool IsSeparator(char c, const PathRules& rules) {
    return c == '/' || (c == '\\' && rules.windowsNames);
}

// Length in bytes of the character at `pos`. A lead byte at the very end stands alone.
std::size_t CharLength(std::string_view s, std::size_t pos, const PathRules& rules) {
    if (rules.isLeadByte(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size()) {
        return 2;
    }
    return 1;
}

// The first `limit` bytes of `s`, one byte less when the cut would split a two-byte character.
std::string_view CutToLimit(std::string_view s, std::size_t limit, const PathRules& rules) {
    if (s.size() <= limit) {
        return s;
    }
    std::size_t end = 0;
    while (end < s.size()) {
        std::size_t next = end + CharLength(s, end, rules);
        if (next > limit) {
            break;
        }
        end = next;
    }
    return s.substr(0, end);
}

}  // namespace

bool NoLeadBytes(unsigned char) {
    return false;
}

bool Cp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

const PathRules kPosixPathRules{&NoLeadBytes, '/', false};
const PathRules kCp932PathRules{&Cp932LeadByte, '\\', true};

PathParts SplitPath(std::string_view path, const PathRules& rules) {
    PathParts parts;
    std::size_t start = 0;
    if (rules.windowsNames && path.size() >= 2 && path[1] == ':') {
        parts.drive = path.substr(0, 2);
        start = 2;
    }

    std::size_t nameStart = start;  // just after the last separator
    std::size_t lastDot = std::string_view::npos;
    for (std::size_t pos = start; pos < path.size(); pos += CharLength(path, pos, rules)) {
        if (IsSeparator(path[pos], rules)) {
            nameStart = pos + 1;
        } else if (path[pos] == '.') {
            lastDot = pos;
        }
    }

    std::string_view directory = path.substr(start, nameStart - start);
    std::string_view name = path.substr(nameStart);
    std::string_view baseName = name;
    std::string_view extension;
    if (lastDot != std::string_view::npos && lastDot >= nameStart) {
        baseName = path.substr(nameStart, lastDot - nameStart);
        extension = path.substr(lastDot);
    }

    parts.directory = std::string(directory);  // a folder is never cut: a shorter one is another
    parts.baseName = CutToLimit(baseName, kPathPartLimit, rules);
    parts.extension = CutToLimit(extension, kPathPartLimit, rules);
    return parts;
}

std::string JoinPath(std::string_view drive, std::string_view directory, std::string_view baseName,
                     std::string_view extension, const PathRules& rules) {
    std::string path;
    path.reserve(drive.size() + directory.size() + baseName.size() + extension.size() + 2);
    if (!drive.empty()) {
        path += drive[0];
        path += ':';
    }
    if (!directory.empty()) {
        path += directory;
        // The last character decides, so a trail byte 0x5C does not count as a separator.
        std::size_t lastChar = 0;
        for (std::size_t pos = 0; pos < directory.size();
             pos += CharLength(directory, pos, rules)) {
            lastChar = pos;
        }
        if (!(lastChar + 1 == directory.size() && IsSeparator(directory[lastChar], rules))) {
            path += rules.separator;
        }
    }
    path += baseName;
    if (!extension.empty()) {
        if (extension[0] != '.') {
            path += '.';
        }
        path += extension;
    }
    return path;
}

std::string ConverterArgumentPath(std::string_view path, const PathRules& rules) {
    std::string argument;
    // A POSIX name with ':' before its first '/' reads to many converters as "scheme:…".
    const std::size_t colon = path.find(':');
    const bool scheme =
        !rules.windowsNames && colon != std::string_view::npos && colon < path.find('/');
    if (!path.empty() && (path.front() == '-' || scheme)) {
        argument += '.';
        argument += rules.separator;
    }
    argument += path;
    return argument;
}

}  // namespace varlo
