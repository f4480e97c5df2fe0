// Proposing a free output path beside an input file.
#pragma once

#include <functional>
#include <string>

namespace varlo {

// Same drive, folder and base name as `inputPath`, extension ".aac"; when that name exists,
// "base(1).aac" up to "base(98).aac". Returns an empty string when all 99 names are taken.
// Names for which `reserved` is true are skipped as if they existed: conversions under way will
// write them.
std::string ProposeOutputPath(const std::string& inputPath,
                              const std::function<bool(const std::string&)>& reserved = nullptr);

}  // namespace varlo
