// Proposing a free output path beside an input file.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace varlo {

// Same drive, folder and base name as `inputPath`, extension ".aac"; when that name exists,
// "base(1).aac" up to "base(98).aac". Returns an empty string when all 99 names are taken.
// Each name is made to fit the folder's name limit (FolderNameLimit). Names for which `reserved`
// is true are skipped as if they existed: conversions under way will write them.
using ReservedNames = std::function<bool(const std::string&)>;
std::string ProposeOutputPath(const std::string& inputPath,
                              const ReservedNames& reserved = nullptr);

// The same for a folder whose file names may have at most `nameLimit` bytes: where a candidate
// would be longer, its base name is shortened by whole UTF-8 characters (the "(n)" suffix and the
// extension stay). kNoNameLimit proposes every name whole.
std::string ProposeOutputPath(const std::string& inputPath, std::size_t nameLimit,
                              const ReservedNames& reserved = nullptr);

}  // namespace varlo
