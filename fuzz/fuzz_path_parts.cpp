// SplitPath and JoinPath, for POSIX names and for Windows names with and without Shift-JIS lead
// bytes, against a plain scan of the path and against each other.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/path_parts.h"
#include "fuzz_check.h"

namespace {

using varlo::kPathPartLimit;
using varlo::PathParts;
using varlo::PathRules;
using varlo::fuzz::Escaped;
using varlo::fuzz::Fail;

bool ShiftJisLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

struct Scheme {
    const char* name;
    const PathRules& rules;
    bool doubleByte;    // lead bytes as in Shift-JIS
    bool windowsNames;  // drives, and '\\' separates too
};

const Scheme kSchemes[] = {
    {"posix rules", varlo::kPosixPathRules, false, false},
    {"cp932 rules", varlo::kCp932PathRules, true, true},
};

// The parts as they stand in the path, before any cut, and where its characters start.
struct Uncut {
    std::string_view drive, directory, baseName, extension;
    std::vector<std::size_t> charStarts;  // offsets into the path, and the path's size last
};

// The drive colon is looked for at the second byte alone, as the C runtime's splitpath does.
// After it the path is read a character at a time; a lead byte with no byte after it is a
// character of its own. POSIX names have no drive and only '/' separates them.
Uncut ScanPath(std::string_view path, bool doubleByte, bool windowsNames) {
    Uncut parts;
    std::size_t start = 0;
    if (windowsNames && path.size() >= 2 && path[1] == ':') {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    std::size_t pos = start;
    while (pos < path.size()) {
        parts.charStarts.push_back(pos);
        const bool lead = doubleByte && ShiftJisLead(static_cast<unsigned char>(path[pos]));
        pos += (lead && pos + 1 < path.size()) ? 2 : 1;
    }
    parts.charStarts.push_back(path.size());

    std::size_t nameStart = start;
    for (const std::size_t at : parts.charStarts) {
        if (at < path.size() && (path[at] == '/' || (windowsNames && path[at] == '\\'))) {
            nameStart = at + 1;
        }
    }
    parts.directory = path.substr(start, nameStart - start);
    std::size_t dot = std::string_view::npos;
    for (const std::size_t at : parts.charStarts) {
        if (at >= nameStart && at < path.size() && path[at] == '.') {
            dot = at;
        }
    }
    const std::size_t nameEnd = dot == std::string_view::npos ? path.size() : dot;
    parts.baseName = path.substr(nameStart, nameEnd - nameStart);
    parts.extension = path.substr(nameEnd);
    return parts;
}

// The part cut to `limit` bytes at the last character start that allows, `part` lying at
// `offset` in the path.
std::string_view Cut(std::string_view part, std::size_t offset, std::size_t limit,
                     const std::vector<std::size_t>& charStarts) {
    if (part.size() <= limit) {
        return part;
    }
    std::size_t keep = 0;
    for (const std::size_t at : charStarts) {
        if (at >= offset && at - offset <= limit && at - offset <= part.size()) {
            keep = at - offset;
        }
    }
    return part.substr(0, keep);
}

std::string Describe(const char* scheme, std::string_view path, const PathParts& parts) {
    return std::string(scheme) + "\ninput: \"" + Escaped(path) + "\"\nparts: \"" +
           Escaped(parts.drive) + "\" \"" + Escaped(parts.directory) + "\" \"" +
           Escaped(parts.baseName) + "\" \"" + Escaped(parts.extension) + "\"";
}

bool SameParts(const PathParts& a, const PathParts& b) {
    return a.drive == b.drive && a.directory == b.directory && a.baseName == b.baseName &&
           a.extension == b.extension;
}

void CheckScheme(const Scheme& scheme, std::string_view path) {
    const PathParts parts = varlo::SplitPath(path, scheme.rules);

    // Every part within its limit; a drive is a letter and a colon.
    if (parts.baseName.size() > kPathPartLimit || parts.extension.size() > kPathPartLimit) {
        Fail("a part is longer than its limit", Describe(scheme.name, path, parts));
    }
    if (!parts.drive.empty() && !(parts.drive.size() == 2 && parts.drive[1] == ':')) {
        Fail("the drive is not two bytes ending in ':'", Describe(scheme.name, path, parts));
    }

    // Each part is the one the scan finds, cut at a character start.
    const Uncut uncut = ScanPath(path, scheme.doubleByte, scheme.windowsNames);
    const auto offsetOf = [&](std::string_view part) {
        return static_cast<std::size_t>(part.data() - path.data());
    };
    PathParts expected;
    expected.drive = uncut.drive;
    expected.directory = uncut.directory;  // folders are never cut
    expected.baseName =
        Cut(uncut.baseName, offsetOf(uncut.baseName), kPathPartLimit, uncut.charStarts);
    expected.extension =
        Cut(uncut.extension, offsetOf(uncut.extension), kPathPartLimit, uncut.charStarts);
    if (!SameParts(parts, expected)) {
        Fail("the parts differ from a scan of the path",
             Describe(scheme.name, path, parts) + "\nexpected: \"" + Escaped(expected.drive) +
                 "\" \"" + Escaped(expected.directory) + "\" \"" + Escaped(expected.baseName) +
                 "\" \"" + Escaped(expected.extension) + "\"");
    }

    // With the directory whole, the joined parts split into the same parts again.
    if (parts.directory.size() != uncut.directory.size()) {
        return;
    }
    const std::string joined = varlo::JoinPath(parts.drive, parts.directory, parts.baseName,
                                               parts.extension, scheme.rules);
    const PathParts again = varlo::SplitPath(joined, scheme.rules);
    if (!SameParts(parts, again)) {
        Fail("the joined parts split differently",
             Describe(scheme.name, path, parts) + "\njoined: \"" + Escaped(joined) + "\"");
    }

    // With nothing cut, joining gives the path back.
    const bool whole = parts.drive.size() + parts.directory.size() + parts.baseName.size() +
                           parts.extension.size() ==
                       path.size();
    if (whole && joined != path) {
        Fail("the parts of an uncut path do not join into it",
             Describe(scheme.name, path, parts) + "\njoined: \"" + Escaped(joined) + "\"");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    for (const Scheme& scheme : kSchemes) {
        CheckScheme(scheme, path);
    }
    return 0;
}
