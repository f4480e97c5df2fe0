#include "output_path.h"

#include <string_view>

#include "name_limit.h"
#include "path_parts.h"

namespace varlo {

namespace {

constexpr std::string_view kExtension = ".aac";

bool IsUtf8Continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// At most `room` bytes of `name`, never ending inside a UTF-8 character. Bytes that are not
// UTF-8 are cut where they fall, as no character boundary is to be had.
std::string_view CutToWholeCharacters(std::string_view name, std::size_t room) {
    if (name.size() <= room) {
        return name;
    }
    std::size_t end = room;
    for (int back = 0; back < 3 && end > 0 && IsUtf8Continuation(name[end]); ++back) {
        --end;
    }
    return name.substr(0, IsUtf8Continuation(name[end]) ? room : end);
}

// The candidate "base<suffix>.aac" in the input's folder, its base name shortened as far as the
// name limit needs.
std::string Candidate(const PathParts& parts, std::string_view suffix, std::size_t nameLimit) {
    std::string_view base = parts.baseName;
    const std::size_t fixed = suffix.size() + kExtension.size();
    if (nameLimit != kNoNameLimit && base.size() + fixed > nameLimit) {
        base = CutToWholeCharacters(base, nameLimit > fixed ? nameLimit - fixed : 0);
    }
    std::string name(base);
    name += suffix;
    return JoinPath(parts.drive, parts.directory, name, kExtension);
}

}  // namespace

std::string ProposeOutputPath(const std::string& inputPath, const ReservedNames& reserved) {
    const PathParts parts = SplitPath(inputPath);
    return ProposeOutputPath(inputPath, FolderNameLimit(parts.drive + parts.directory), reserved);
}

std::string ProposeOutputPath(const std::string& inputPath, std::size_t nameLimit,
                              const ReservedNames& reserved) {
    constexpr int kCandidates = 99;
    const PathParts parts = SplitPath(inputPath);
    std::string candidate = Candidate(parts, "", nameLimit);
    for (int i = 1; i <= kCandidates; ++i) {
        if (!PathExists(candidate) && !(reserved && reserved(candidate))) {
            return candidate;
        }
        if (i < kCandidates) {
            candidate = Candidate(parts, "(" + std::to_string(i) + ")", nameLimit);
        }
    }
    return {};
}

}  // namespace varlo
