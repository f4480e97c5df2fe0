#include "output_path.h"

#include "path_parts.h"

namespace varlo {

std::string ProposeOutputPath(const std::string& inputPath,
                              const std::function<bool(const std::string&)>& reserved) {
    constexpr int kCandidates = 99;
    const PathParts parts = SplitPath(inputPath);
    std::string candidate = JoinPath(parts.drive, parts.directory, parts.baseName, "aac");
    for (int i = 1; i <= kCandidates; ++i) {
        if (!PathExists(candidate) && !(reserved && reserved(candidate))) {
            return candidate;
        }
        if (i < kCandidates) {
            const std::string numbered = parts.baseName + "(" + std::to_string(i) + ")";
            candidate = JoinPath(parts.drive, parts.directory, numbered, "aac");
        }
    }
    return {};
}

}  // namespace varlo
