// Proposing a free output path beside an input file.
#pragma once

#include <string>

namespace varlo {

// Same drive, folder and base name as `inputPath`, extension ".aac"; when that name exists,
// "base(1).aac" up to "base(98).aac". Returns an empty string when all 99 names are taken.
std::string ProposeOutputPath(const std::string& inputPath);

}  // namespace varlo
