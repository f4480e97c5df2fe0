#include "engine/output_path.h"

#include "common/text.h"

#include <string_view>

#include "engine/core/path_parts.h"
#include "engine/platform/file_names.h"
#include "engine/platform/name_limit.h"

namespace varlo {

namespace {

constexpr std::string_view kExtension = ".aac";

// The candidate "base<suffix>.aac" in the input's folder, its base name shortened as far as the
// name limit needs.
std::string Candidate(const PathParts& parts, std::string_view suffix, std::size_t nameLimit) {
    std::string_view base = parts.baseName;
    const std::size_t fixed = suffix.size() + kExtension.size();
    if (nameLimit != kNoNameLimit && base.size() + fixed > nameLimit) {
        base = CutUtf8(base, nameLimit > fixed ? nameLimit - fixed : 0);
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
        // Whatever bears the name takes it, a dangling link too: the converter would write
        // through it into another folder.
        if (KindOfName(candidate) == NameKind::None && !(reserved && reserved(candidate))) {
            return candidate;
        }
        if (i < kCandidates) {
            candidate = Candidate(parts, "(" + std::to_string(i) + ")", nameLimit);
        }
    }
    return {};
}

}  // namespace varlo
