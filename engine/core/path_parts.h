// Path parts: drive, directory, base name and extension of an 8-bit path string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varlo {

// How a platform's file names are scanned. Split and join take this as a parameter so that the
// same code serves byte-wise UTF-8 names and double-byte code pages such as Shift-JIS.
struct PathRules {
    // True for the first byte of a two-byte character; its trail byte (which may be 0x5C '\')
    // is then never taken for a separator or a dot. The drive is read from the first two bytes
    // as they are, as Windows reads it; no real trail byte is ':' (trail bytes are 0x40 and up).
    bool (*isLeadByte)(unsigned char byte);
    // The separator JoinPath inserts after a directory that does not end in one.
    char separator;
    // Windows names: '\' separates as '/' does, and a path whose second byte is ':' begins with
    // a drive. In POSIX names both are ordinary bytes: "back\slash.wav" is one file name.
    bool windowsNames;
};

inline constexpr std::size_t kPathPartLimit = 255;

bool NoLeadBytes(unsigned char byte);
bool Cp932LeadByte(unsigned char byte);

// POSIX names, UTF-8 or any other bytes: no lead bytes, no drive, '/' the only separator. A
// directory is not cut, because POSIX paths may hold far more than 255 bytes of folders.
extern const PathRules kPosixPathRules;
// Code page 932 (Shift-JIS) as Windows scans it: '\' is inserted, base name and extension are
// cut to 255 bytes, the directory is not.
extern const PathRules kCp932PathRules;

// The rules of the platform this program was built for (defined by the platform layer).
const PathRules& PlatformPathRules();

struct PathParts {
    std::string drive;      // "C:" or empty; always empty for POSIX names
    std::string directory;  // up to and including the last separator
    std::string baseName;   // up to the last '.' of the file name
    std::string extension;  // from that '.' on, or empty
};

PathParts SplitPath(std::string_view path, const PathRules& rules = PlatformPathRules());

std::string JoinPath(std::string_view drive, std::string_view directory, std::string_view baseName,
                     std::string_view extension, const PathRules& rules = PlatformPathRules());

// The path as the converter is given it: one that begins with '-' gets the current folder in front
// ("./-x.wav", on Windows ".\-x.wav"), so that no converter takes the name for an option; so does
// a relative POSIX name with ':' before its first '/' ("./a:b.wav"), so that none takes "a:" for
// a protocol. It names the same file. Every other path is returned as it is.
std::string ConverterArgumentPath(std::string_view path,
                                  const PathRules& rules = PlatformPathRules());

}  // namespace varlo
